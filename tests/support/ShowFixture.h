#pragma once

// A loaded main window on a fixed full-HD screen, with scripted dialogs and a
// fast clock, for the slideshow, acquisition and run-control tests.
#include "core/FormPicture.h"
#include "platform/Clock.h"
#include "platform/DialogService.h"
#include "platform/EventPump.h"
#include "platform/ProcessEnd.h"
#include "platform/Screen.h"
#include "support/TempPortable.h"

#include <QBuffer>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

#include <memory>

class ShowFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::Screen::override(19200, 10800, 96);
        platform::ProcessEnd::resetForTests();
        form = std::make_unique<FormPicture>(StartOptions{portable.appDir(), QString()});
        ASSERT_TRUE(form->Form_Load());
        // The connection clock would start talking to a server of its own;
        // the clock is sped up only once it is off.
        form->generalClock.setEnabled(false);
        // As if the window were on screen: timers that a test enables tick.
        form->releaseTimers();
        platform::Clock::setSpeed(200);
        dialogs.clear();
    }
    void TearDown() override
    {
        form.reset();
        platform::Clock::setSpeed(1);
        platform::ProcessEnd::resetForTests();
        platform::Screen::clearOverride();
    }

    static QByteArray encode(const QImage &image, const char *format)
    {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, format);
        return bytes;
    }
    static QImage solid(int w, int h, QColor colour)
    {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(colour);
        return image;
    }
    static void writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
        f.write(bytes);
    }

    TempPortable portable;
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scope{&dialogs};
    std::unique_ptr<FormPicture> form;
};
