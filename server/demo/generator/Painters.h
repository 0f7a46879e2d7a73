#pragma once

#include <QImage>
#include <QString>

// Our own stand-ins for live weather pictures, drawn with QPainter. The same
// name always gives the same picture, so the build is reproducible.
namespace cirrolith::demo {

enum class Style { Satellite, Radar, Chart, Webcam };

// Style from the folder a picture lies in ("sat", "radar", "chart", "cam",
// "series"); Satellite when unknown.
Style styleForFolder(const QString &folder);

// frame counts from 0; frames > 1 draws one step of an animation.
QImage drawPicture(Style style, const QString &name, int frame = 0, int frames = 1);

} // namespace cirrolith::demo
