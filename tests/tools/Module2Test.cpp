#include "tools/Module2.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

#include "TestImages.h"

#include "Fakes.h"

using namespace lh::tools;

using lh::test::patterned;

namespace {

QRgb inverted(QRgb c) { return c ^ 0x00FFFFFFu; }

}   // namespace

TEST(NormalizeRect, OrdersEachPairIndependently)
{
    struct Case {
        SelRect in, out;
    };
    const Case cases[] = {
        {{1, 2, 5, 8}, {1, 2, 5, 8}},
        {{5, 2, 1, 8}, {1, 2, 5, 8}},
        {{1, 8, 5, 2}, {1, 2, 5, 8}},
        {{5, 8, 1, 2}, {1, 2, 5, 8}},
        {{3, 3, 3, 3}, {3, 3, 3, 3}},
        {{-4, 10, -9, -2}, {-9, -2, -4, 10}},
        {{INT32_MAX, INT32_MIN, INT32_MIN, INT32_MAX}, {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}},
    };
    for (const Case& c : cases) {
        SelRect r = c.in;
        NormalizeRect(r);
        EXPECT_EQ(r, c.out) << c.in.left << "," << c.in.top << "," << c.in.right << "," << c.in.bottom;
    }
    int32_t a = 7, b = -3;
    SwapLongs(a, b);
    EXPECT_EQ(a, -3);
    EXPECT_EQ(b, 7);
}

TEST(SelectionFrame, BarsAreOnePixelOnTheInclusiveEdges)
{
    const SelRect r{10, 20, 17, 25};   // 7 x 5
    const std::vector<QRect> bars = SelectionFrameBars(r);
    ASSERT_EQ(bars.size(), 4u);
    EXPECT_EQ(bars[0], QRect(10, 20, 7, 1));   // top
    EXPECT_EQ(bars[1], QRect(10, 20, 1, 5));   // left
    EXPECT_EQ(bars[2], QRect(16, 20, 1, 5));   // right, x = right - 1
    EXPECT_EQ(bars[3], QRect(10, 24, 7, 1));   // bottom, y = bottom - 1
    EXPECT_EQ(SelectionLabelText(r), QStringLiteral("7x5"));
    EXPECT_EQ(SelectionLabelText(SelRect{0, 0, 320, 240}), QStringLiteral("320x240"));

    for (const SelRect& empty : {SelRect{5, 5, 5, 9}, SelRect{5, 5, 9, 5}, SelRect{4, 4, 4, 4}})
        EXPECT_TRUE(SelectionFrameBars(empty).empty());
}

TEST(SelectionFrame, LabelIsCentredWithHalvesToEven)
{
    struct Case {
        SelRect r;
        int w, h;
        QPoint expect;
    };
    const Case cases[] = {
        {{0, 0, 100, 50}, 20, 10, {40, 20}},   // even sums: exact
        {{0, 0, 7, 5}, 2, 2, {2, 2}},          // 2.5 -> 2, 1.5 -> 2
        {{0, 0, 9, 9}, 2, 2, {4, 4}},          // 3.5 -> 4
        {{1, 1, 12, 12}, 4, 4, {4, 4}},        // (13 - 4) / 2 = 4.5 -> 4
        {{2, 2, 13, 13}, 4, 4, {6, 6}},        // (15 - 4) / 2 = 5.5 -> 6
        {{0, 0, 3, 3}, 40, 16, {-18, -6}},     // label wider than the rectangle: (3 - 40) / 2 = -18.5 -> -18
    };
    for (const Case& c : cases)
        EXPECT_EQ(SelectionLabelOrigin(c.r, c.w, c.h), c.expect)
            << c.r.left << "," << c.r.top << "," << c.r.right << "," << c.r.bottom;
}

TEST(SelectionFrame, InvertsTheBarsKeepsTheCornersAndUndoesItself)
{
    const QImage original = patterned(160, 100);
    QImage screen = original;
    // Large enough that the centred label stays clear of the frame.
    const SelRect r{10, 20, 130, 80};
    DrawSelectionFrame(screen, r);

    for (const QPoint corner : {QPoint(10, 20), QPoint(129, 20), QPoint(10, 79), QPoint(129, 79)})
        EXPECT_EQ(screen.pixel(corner), original.pixel(corner)) << corner.x() << "," << corner.y();
    for (const QPoint edge : {QPoint(12, 20), QPoint(10, 22), QPoint(129, 23), QPoint(128, 79)})
        EXPECT_EQ(screen.pixel(edge), inverted(original.pixel(edge))) << edge.x() << "," << edge.y();
    // Just outside the frame nothing changed: the right column and bottom row are excluded.
    for (const QPoint out : {QPoint(130, 22), QPoint(13, 80), QPoint(9, 22), QPoint(13, 19), QPoint(11, 21)})
        EXPECT_EQ(screen.pixel(out), original.pixel(out)) << out.x() << "," << out.y();

    DrawSelectionFrame(screen, r);
    EXPECT_EQ(screen, original);
}

TEST(SelectionFrame, LabelGlyphsInvertTheScreenAtTheCentredPlace)
{
    QImage screen(200, 100, QImage::Format_RGB32);
    screen.fill(qRgb(10, 200, 30));
    const SelRect r{20, 10, 181, 91};   // 161 x 81, label "161x81"
    const QRegion changed = DrawSelectionFrame(screen, r);

    const QFontMetrics fm(SelectionLabelFont());
    const int w = fm.horizontalAdvance(QStringLiteral("161x81"));
    const QRect labelBox(SelectionLabelOrigin(r, w, fm.height()), QSize(w, fm.height()));
    EXPECT_EQ(changed.intersected(labelBox), QRegion(labelBox));
    EXPECT_FALSE(changed.contains(QPoint(40, 30)));   // inside the frame, away from the label
    int invertedInside = 0, otherInside = 0;
    for (int y = 11; y < 90; ++y)
        for (int x = 21; x < 180; ++x) {
            const QRgb c = screen.pixel(x, y);
            if (c == inverted(qRgb(10, 200, 30))) {
                ++invertedInside;
                EXPECT_TRUE(labelBox.contains(x, y)) << x << "," << y;
            } else if (c != qRgb(10, 200, 30)) {
                ++otherInside;
            }
        }
    EXPECT_GT(invertedInside, 20);   // the glyphs are there
    EXPECT_EQ(otherInside, 0);       // and only ever inverted, never blended
}

TEST(SelectionFrame, EmptyRectangleDrawsNothing)
{
    const QImage original = patterned(30, 30);
    for (const SelRect& r : {SelRect{5, 5, 5, 20}, SelRect{5, 5, 20, 5}, SelRect{7, 7, 7, 7}}) {
        QImage screen = original;
        EXPECT_TRUE(DrawSelectionFrame(screen, r).isEmpty());
        EXPECT_EQ(screen, original);
    }
}

TEST(SelectionFrame, FrameAtTheScreenEdgeIsClippedAndStillUndoes)
{
    const QImage original = patterned(20, 20);
    QImage screen = original;
    const SelRect r{-5, -5, 25, 8};
    DrawSelectionFrame(screen, r);
    EXPECT_EQ(screen.pixel(3, 7), inverted(original.pixel(3, 7)));   // bottom row y = 7
    DrawSelectionFrame(screen, r);
    EXPECT_EQ(screen, original);
}

TEST(CopyScreen, CopiesTheRectangleWithoutItsRightColumnAndBottomRow)
{
    const QImage screen = patterned(50, 40);
    lh::test::MemoryClipboard clipboard;
    const QImage copy = CopyScreenToClipboard(screen, 5, 6, 17, 13, clipboard);
    ASSERT_EQ(copy.size(), QSize(12, 7));
    EXPECT_EQ(copy, screen.copy(5, 6, 12, 7));
    EXPECT_EQ(clipboard.stored, copy);
    EXPECT_EQ(clipboard.setCount, 1);

    const QImage none = CopyScreenToClipboard(screen, 9, 9, 9, 9, clipboard);
    EXPECT_TRUE(none.isNull());
    EXPECT_TRUE(clipboard.stored.isNull());   // the old picture is replaced
    EXPECT_EQ(clipboard.setCount, 2);

    // Beyond the screen's edge comes out black.
    const QImage edge = CopyScreenToClipboard(screen, 45, 35, 55, 45, clipboard);
    ASSERT_EQ(edge.size(), QSize(10, 10));
    EXPECT_EQ(edge.pixel(4, 4), screen.pixel(49, 39));
    EXPECT_EQ(edge.pixel(5, 5), qRgb(0, 0, 0));
}

TEST(SelectScreenRegion, DragUpAndLeftMakesTheAnchorTheExclusiveCorner)
{
    const QImage original = patterned(80, 60);
    QImage screen = original;
    SelectScreenRegion sel(screen, QPoint(50, 40));
    sel.moveTo(QPoint(60, 45));
    EXPECT_EQ(sel.rect(), (SelRect{50, 40, 60, 45}));
    sel.moveTo(QPoint(30, 20));
    EXPECT_EQ(sel.rect(), (SelRect{30, 20, 50, 40}));
    EXPECT_NE(screen, original);   // a frame is showing
    const SelRect done = sel.finish(QPoint(31, 22));
    EXPECT_EQ(done, (SelRect{31, 22, 50, 40}));
    EXPECT_EQ(screen, original);   // and gone again
    sel.moveTo(QPoint(0, 0));      // after the end nothing moves
    EXPECT_EQ(sel.rect(), done);
}
