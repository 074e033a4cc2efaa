// The programs' window icon, drawn from the picture in the resources at each
// size the window system asks for.
#include <QApplication>
#include <QIcon>
#include <QImage>

#include <gtest/gtest.h>

TEST(AppIcon, DrawsThePictureAtEverySizeAWindowAsksFor)
{
    const QIcon icon = QApplication::windowIcon();
    ASSERT_FALSE(icon.isNull());
    for (const int side : {16, 32, 64, 128}) {
        SCOPED_TRACE(side);
        const QImage image = icon.pixmap(QSize(side, side), 1.0).toImage();
        ASSERT_EQ(image.size(), QSize(side, side));
        // The rounded square leaves the corners clear and fills the middle.
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(image.pixel(side / 2, side / 2)), 255);
        // Asked again, the same picture.
        EXPECT_EQ(icon.pixmap(QSize(side, side), 1.0).toImage(), image);
    }
}
