#pragma once
// Designs to keep: drawn on a surface of their own from a seeded source, as
// the window would show them; the photo designer's with a photo, its ring,
// the date and stamps.

#include "scene/DesignScene.h"

#include "DesignTestSupport.h"
#include "Fakes.h"
#include "TestImages.h"
#include "core/Random.h"
#include "engine/RasterSurface.h"

#include <QPainter>

namespace lh::test {

// One design of `category` from `seed`; category 1 gets the photo, the ring,
// the date label and two stamps when `dressed`.
inline scene::DesignScene sceneOf(int category, std::uint32_t seed, bool dressed = false, int photoSeed = 1)
{
    FakeDesignHost host = FakeDesignHost::categoryWindow(category);
    SeededRandom random(seed);
    FixedClock clock;
    design::DesignRecorder recorder(random, host, clock);
    RasterSurface surface(scene::kDesignPixels, scene::kDesignPixels);
    design::DesignTick tick(design::recipeForCategory(category), surface, recorder.random(), recorder.host(),
                            recorder.clock());
    recorder.begin(surface, 0);
    try {
        tick.run();
    } catch (const std::exception&) {
    }
    scene::DesignScene s;
    s.category = category;
    s.record = recorder.finish();
    if (dressed) {
        s.record.photo = patterned(120, 90, photoSeed);
        LogFontRecord font;
        font.height = -30;
        font.weight = 700;
        font.escapement = 450;
        font.charSet = 134;
        font.faceName = QStringLiteral("宋体");
        s.stamps.push_back({1500, 9000, QStringLiteral("我最新的美术图案作品"), font, 0x00FFFF});
        font.escapement = -900;
        s.stamps.push_back({11000, 2000, QStringLiteral("祝您生日快乐"), font, 0x4080FF});
        QFont date(QStringLiteral("宋体"));
        date.setPixelSize(16);
        date.setBold(true);
        s.overlay = scene::PhotoOverlay{QRect(348, 348, 165, 165), QRect(346, 346, 169, 169),
                                        QColor(0xD7, 0x15, 0x7B), 23,
                                        scene::CaptionOverlay{QStringLiteral("2011/1/1 12:00:00"), date,
                                                              QColor(40, 200, 90), QRect(692, 790, 163, 17),
                                                              Qt::AlignLeft | Qt::AlignVCenter, 16}};
    }
    return s;
}

}   // namespace lh::test
