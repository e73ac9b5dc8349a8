// Designs as values: a recorded tick drawn again gives the same pixels, the
// recording takes nothing from the window's random sequence, texts are
// shared and the history keeps the last designs.

#include "design/DesignHistory.h"

#include "DesignTestSupport.h"
#include "Fakes.h"
#include "core/Random.h"
#include "engine/RasterSurface.h"

#include <gtest/gtest.h>

#include <array>

using namespace lh;
using namespace lh::design;

namespace {

// Line widths from 1 to 90 and every colour scheme the list offers (0 is
// refused by the tick, so that design keeps the mode of the one before), and
// a width text that is not a number (the width before stays).
const std::array<const char*, 11> kWidths = {"1", "2", "5", "9", "13", "20", "abc", "30", "47", "60", "90"};
const std::array<const char*, 17> kModes = {"0", "1",  "2",  "3",  "4",  "5",  "6",  "7", "8",
                                            "9", "10", "12", "13", "14", "15", "16", "13"};

struct Window {
    explicit Window(int category, std::uint32_t seed)
        : host(test::FakeDesignHost::categoryWindow(category)),
          random(seed),
          recorder(random, host, clock),
          tick(recipeForCategory(category), surface, recorder.random(), recorder.host(), recorder.clock())
    {}
    DesignRecord draw()
    {
        recorder.begin(surface, tick.designCount());
        tick.run();
        return recorder.finish();
    }

    RasterSurface surface{857, 857};
    test::FakeDesignHost host;
    SeededRandom random;
    test::FixedClock clock;
    DesignRecorder recorder;
    DesignTick tick;
};

}   // namespace

TEST(DesignHistory, RedrawnDesignEqualsTheFirstDrawingInEveryCategoryWidthAndMode)
{
    constexpr int kDesignsPerCategory = 5;
    int designs = 0;
    for (int category = 1; category <= 11; ++category) {
        Window window(category, 1000u + static_cast<std::uint32_t>(category));
        SeededRandom reference(1000u + static_cast<std::uint32_t>(category));
        std::vector<DesignRecord> records;
        std::vector<QImage> drawn;
        for (int i = 0; i < kDesignsPerCategory; ++i, ++designs) {
            window.host.texts[QStringLiteral("Combo1")] = QString::fromLatin1(kWidths[designs % kWidths.size()]);
            window.host.texts[QStringLiteral("Combo2")] = QString::fromLatin1(kModes[designs % kModes.size()]);
            window.clock.value = window.clock.value.addSecs(7);
            records.push_back(window.draw());
            drawn.push_back(window.surface.image().copy());

            // Every draw the tick took is in the record, in its order.
            for (float u : records.back().draws)
                ASSERT_EQ(u, reference.next()) << "category " << category << " design " << i;

            RasterSurface fresh(857, 857);
            redrawDesign(recipeForCategory(category), records.back(), fresh);
            ASSERT_EQ(fresh.image(), drawn.back())
                << "category " << category << " width " << kWidths[designs % kWidths.size()] << " mode "
                << kModes[designs % kModes.size()];
        }
        // Stepping back re-draws older designs over newer ones on one surface.
        RasterSurface stepped(857, 857);
        for (int i = kDesignsPerCategory - 1; i >= 0; --i) {
            redrawDesign(recipeForCategory(category), records[static_cast<std::size_t>(i)], stepped);
            ASSERT_EQ(stepped.image(), drawn[static_cast<std::size_t>(i)]) << "category " << category << " step " << i;
        }
    }
    EXPECT_GE(designs, static_cast<int>(kModes.size()));   // every mode and width was drawn
}

TEST(DesignHistory, RedrawGivesTheCountDateAndPreviewsOfTheDesignToTheWindow)
{
    Window window(1, 7);
    window.clock.value = QDateTime(QDate(2011, 5, 4), QTime(9, 8, 7));
    window.draw();
    const DesignRecord second = window.draw();
    ASSERT_TRUE(second.when.has_value());

    test::FakeDesignHost echo;
    RasterSurface fresh(857, 857);
    EXPECT_TRUE(redrawDesign(recipeForCategory(1), second, fresh, &echo));
    EXPECT_EQ(echo.countCaptions, std::vector<QString>{QStringLiteral("2")});
    EXPECT_EQ(echo.dateCaptions, std::vector<QString>{QStringLiteral("2011-5-4 9:08:07")});
    EXPECT_EQ(echo.dateColors, std::vector<Rgb>{window.host.dateColors.back()});
    EXPECT_EQ(fresh.image(), window.surface.image());
}

TEST(DesignHistory, ControlsTheWindowLacksStayMissingWhenRedrawn)
{
    // A host without the category field: the serial line step fails and is skipped.
    struct PartialHost : test::FakeDesignHost {
        QString text(const QString& control) const override
        {
            if (control == QStringLiteral("Label7"))
                throw StepFailure("no such control");
            return FakeDesignHost::text(control);
        }
    };
    PartialHost host;
    host.texts = initialWindowTexts(3);
    SeededRandom random(3);
    test::FixedClock clock;
    DesignRecorder recorder(random, host, clock);
    RasterSurface surface(857, 857);
    DesignTick tick(recipeForCategory(3), surface, recorder.random(), recorder.host(), recorder.clock());
    recorder.begin(surface, 0);
    tick.run();
    const DesignRecord record = recorder.finish();

    const auto missing = std::find_if(record.texts.begin(), record.texts.end(),
                                      [](const RecordedText& t) { return t.name == QStringLiteral("Label7"); });
    ASSERT_NE(missing, record.texts.end());
    EXPECT_TRUE(missing->missing);
    RasterSurface fresh(857, 857);
    redrawDesign(recipeForCategory(3), record, fresh);
    EXPECT_EQ(fresh.image(), surface.image());
}

TEST(DesignHistory, RecordsShareUnchangedTextsWithTheWindow)
{
    Window window(2, 11);
    const DesignRecord first = window.draw();
    const DesignRecord second = window.draw();
    const QString& greeting = window.host.texts[QStringLiteral("Text2")];
    auto valueOf = [](const DesignRecord& r, const QString& name) {
        for (const RecordedText& t : r.texts)
            if (t.name == name)
                return t.value;
        return QString();
    };
    EXPECT_EQ(valueOf(first, QStringLiteral("Text2")).constData(), greeting.constData());
    EXPECT_EQ(valueOf(second, QStringLiteral("Text2")).constData(), greeting.constData());

    // A hundred designs cost their fixed parts and the texts once.
    DesignHistory history;
    history.push(first);
    const std::size_t one = history.textAndRecordBytes();
    for (int i = 0; i < 99; ++i)
        history.push(window.draw());
    const std::size_t perRecord = first.fixedBytes();
    EXPECT_LT(history.textAndRecordBytes(), one + 99 * (perRecord + 64));
    EXPECT_LT(perRecord, 1024u);
}

TEST(DesignHistory, KeepsTheLastDesignsUpToItsCapacity)
{
    DesignHistory history(3);
    for (int i = 0; i < 5; ++i) {
        DesignRecord r;
        r.countBefore = i;
        history.push(std::move(r));
    }
    ASSERT_EQ(history.size(), 3u);
    EXPECT_EQ(history.at(0).countBefore, 2);
    EXPECT_EQ(history.newest().countBefore, 4);
    EXPECT_EQ(DesignHistory().capacity(), 1000u);
}
