#pragma once
// A screen grabber that hands out a fixed picture of the desktop.

#include "platform/Services.h"

namespace lh::test {

class FakeScreenGrabber : public ScreenGrabber {
public:
    QImage desktop;
    bool grabsScreen = true;
    int grabs = 0;
    bool canGrabScreen() const override { return grabsScreen; }
    QImage grabDesktop() override
    {
        ++grabs;
        return grabsScreen ? desktop : QImage();
    }
};

}   // namespace lh::test
