#include "UiFixture.h"

#include "app/FramePlacement.h"

#include <QGuiApplication>
#include <QScreen>

using namespace testing_support;

TEST(FramePlacement, StoredPlacementOnlyWhenItFitsTheScreen)
{
    const struct
    {
        FramePlacement stored;
        int width;
        int height;
        FramePlacement expected;
    } cases[] = {
        {{0, 0, 0, 0}, 640, 480, {48, 36, 544, 408}},
        {{0, 0, 0, 0}, 800, 600, {60, 45, 680, 510}}, // single-precision 0.85: 510, not 509
        {{0, 0, 0, 0}, 1024, 768, {77, 58, 870, 652}},
        {{10, 20, 300, 200}, 800, 600, {10, 20, 300, 200}},
        {{800, 600, 300, 200}, 800, 600, {800, 600, 300, 200}}, // at the edges, still accepted
        {{10, 20, 801, 200}, 800, 600, {60, 45, 680, 510}},
        {{-1, 20, 300, 200}, 800, 600, {60, 45, 680, 510}},
        {{10, 601, 300, 200}, 800, 600, {60, 45, 680, 510}},
    };
    for (const auto& c : cases)
    {
        const FramePlacement placement = ComputeFramePlacement(c.stored, c.width, c.height);
        EXPECT_EQ(placement.x, c.expected.x) << c.width << "x" << c.height << " cx " << c.stored.cx;
        EXPECT_EQ(placement.y, c.expected.y);
        EXPECT_EQ(placement.cx, c.expected.cx);
        EXPECT_EQ(placement.cy, c.expected.cy);
    }
}

class FramePlacementStoreTest : public UiFixture
{
};

TEST_F(FramePlacementStoreTest, OpensWhereItWasClosedAndAMinimisedCloseStoresNothing)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    Frame();
    const FramePlacement first = ComputeFramePlacement({}, screen.width(), screen.height());
    EXPECT_EQ(Frame().size(), QSize(first.cx, first.cy));

    Frame().resize(400, 300);
    Frame().move(-30, 40);
    Frame().close();
    EXPECT_EQ(m_store->ReadInt("Screen", "cx", 0), 400);
    EXPECT_EQ(m_store->ReadInt("Screen", "cy", 0), 300);
    EXPECT_EQ(m_store->ReadInt("Screen", "x", -1), 0); // dragged past the left edge
    EXPECT_EQ(m_store->ReadInt("Screen", "y", -1), Frame().frameGeometry().y());
    m_frame.reset();

    Frame();
    EXPECT_EQ(Frame().size(), QSize(400, 300));
    Frame().resize(500, 350);
    Frame().showMinimized();
    Frame().close();
    EXPECT_EQ(m_store->ReadInt("Screen", "cx", 0), 400);
}
