#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// "Cirrolith4_Picture_List.dat": for each selected catalogue entry its
// position and its id, one per line, then two empty lines.
inline constexpr const char *kPictureListFileName = "Cirrolith4_Picture_List.dat";

struct PictureListEntry {
    int position = 0;
    QString id;     // the id line as written; empty when the file ended after the position
};

// The selection written on a first run: positions 0..3 with ids 14, 1, 5, 20.
std::vector<PictureListEntry> defaultPictureList();

QByteArray formatPictureList(const std::vector<PictureListEntry> &entries);

// Reads entries up to the first empty position line, the end of the file, or
// a position line that is not an integer (a damaged file ends the read there).
std::vector<PictureListEntry> parsePictureList(const QByteArray &bytes);

// True when the file's first line is empty: such a file holds no selection and
// is treated as damaged at start-up.
bool pictureListFirstLineEmpty(const QByteArray &bytes);
