// Kept design records: a record read back from its bytes draws the same
// pixels as the design did; bytes that are not a record, are damaged, claim
// more than they hold or come from a later version are refused.

#include "design/DesignCodec.h"

#include "DesignTestSupport.h"
#include "Fakes.h"
#include "core/Random.h"
#include "engine/RasterSurface.h"

#include <gtest/gtest.h>

#include <QtEndian>

#include <random>

using namespace lh;
using namespace lh::design;

namespace {

struct Drawn {
    DesignRecord record;
    QImage image;
};

// `designs` designs of a category in a row on one surface, the last one
// returned; `width` goes into the line-width list.
Drawn draw(int category, std::uint32_t seed, const char* width, int designs, const QImage& background = {})
{
    test::FakeDesignHost host = test::FakeDesignHost::categoryWindow(category);
    host.texts[QStringLiteral("Combo1")] = QString::fromLatin1(width);
    SeededRandom random(seed);
    test::FixedClock clock;
    DesignRecorder recorder(random, host, clock);
    RasterSurface surface(kDesignPixels, kDesignPixels);
    if (!background.isNull())
        surface.setBackgroundPicture(background);
    DesignTick tick(recipeForCategory(category), surface, recorder.random(), recorder.host(), recorder.clock());
    DesignRecord record;
    for (int i = 0; i < designs; ++i) {
        recorder.begin(surface, tick.designCount());
        try {
            tick.run();
        } catch (const std::exception&) {
        }
        record = recorder.finish();
    }
    return {record, surface.image()};
}

QImage redraw(int category, const DesignRecord& record)
{
    RasterSurface surface(kDesignPixels, kDesignPixels);
    redrawDesign(recipeForCategory(category), record, surface);
    return surface.image();
}

}   // namespace

TEST(DesignCodec, RecordsReadBackDrawTheSameDesign)
{
    QImage background(40, 30, QImage::Format_RGB32);
    background.fill(QColor(10, 120, 200));
    const struct Case {
        const char* what;
        int category;
        const char* width;
        int designs;
        QImage background;
    } cases[] = {
        {"the photo designer", 1, "90", 1, {}},
        {"a category window, third design", 4, "13", 3, {}},
        {"the full recipe", 11, "1", 1, {}},
        {"a width that is no number", 7, "abc", 2, {}},
        {"a background picture", 2, "20", 1, background},
    };
    for (const Case& c : cases) {
        const Drawn drawn = draw(c.category, 17, c.width, c.designs, c.background);
        QString why;
        const std::optional<DesignRecord> read = decodeRecord(encodeRecord(drawn.record), &why);
        ASSERT_TRUE(read.has_value()) << c.what << ": " << why.toStdString();
        EXPECT_EQ(read->draws, drawn.record.draws) << c.what;
        EXPECT_EQ(read->countBefore, drawn.record.countBefore) << c.what;
        EXPECT_EQ(read->when, drawn.record.when) << c.what;
        EXPECT_EQ(read->before.background.isNull(), c.background.isNull()) << c.what;
        EXPECT_EQ(redraw(c.category, *read), drawn.image) << c.what;
    }
}

TEST(DesignCodec, RefusesWhatIsNoRecord)
{
    const QByteArray good = encodeRecord(draw(3, 5, "20", 1).record);
    QByteArray later = good;
    later[4] = 9;
    QByteArray manyDraws = good;
    // The draw count follows the settings: find it by encoding a record with a known draw count.
    DesignRecord probe;
    probe.draws = {0.25f};
    const QByteArray probeBytes = encodeRecord(probe);
    // From the end: the clock flag, the text count, the one draw, the draw count.
    const qsizetype drawsAt = probeBytes.size() - 1 - 4 - 4 - 4;
    QByteArray lyingProbe = probeBytes;
    lyingProbe[drawsAt] = '\xFF';
    lyingProbe[drawsAt + 1] = '\xFF';
    lyingProbe[drawsAt + 2] = '\xFF';
    lyingProbe[drawsAt + 3] = '\x3F';
    ASSERT_TRUE(decodeRecord(probeBytes).has_value());
    ASSERT_EQ(qFromLittleEndian<std::int32_t>(probeBytes.constData() + drawsAt), 1);

    const struct Case {
        const char* what;
        QByteArray bytes;
        const char* says;
    } cases[] = {
        {"empty", QByteArray(), "不是"},
        {"a scene instead", QByteArray("LHSC\x01\0\0\0", 8), "不是"},
        {"a later version", later, "较新"},
        {"cut short", good.chopped(3), "损坏"},
        {"trailing bytes", good + "x", "损坏"},
        {"a billion draws claimed", lyingProbe, "损坏"},
    };
    for (const Case& c : cases) {
        QString why;
        EXPECT_FALSE(decodeRecord(c.bytes, &why).has_value()) << c.what;
        EXPECT_TRUE(why.contains(QString::fromUtf8(c.says))) << c.what << ": " << why.toStdString();
    }

    // Damage anywhere is refused or read, never a crash or a huge allocation.
    std::mt19937 random(8);
    for (int i = 0; i < 3000; ++i) {
        QByteArray damaged = good;
        for (int k = 0; k < 3; ++k)
            damaged[static_cast<int>(random() % damaged.size())] = static_cast<char>(random());
        if (const auto read = decodeRecord(damaged)) {
            EXPECT_LE(read->draws.size(), static_cast<std::size_t>(damaged.size()));
        }
    }
}
