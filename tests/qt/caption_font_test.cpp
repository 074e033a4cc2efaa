// The captions font the programs draw with: texts it does not hold look as
// in the system's Japanese font, and the screens' words all come from it.
// (same_screens.cmake compares every screen drawn in either font.)
#include <QFile>
#include <QRawFont>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/catalog.h"
#include "qt/fonts.h"
#include "qt/gui_support.h"
#include "quick/quick_generator.h"

using gui::GuiProgram;
using kelvqt::ScreenFont;

namespace {

const std::vector<form::ProgramDescription>& bothPrograms()
{
    static const std::vector<form::ProgramDescription> programs{app::kelvoraProgram(), quick::quickProgram()};
    return programs;
}

// Puts the captions font back for the tests that follow, however a test ends.
struct CaptionFontAfterwards {
    ~CaptionFontAfterwards() { kelvqt::setUpFonts(*qApp); }
};

// The field, the label and the button of kelvquick's screen holding `text`,
// each drawn with `font`.
std::vector<QImage> drawnWith(ScreenFont font, const QString& text)
{
    kelvqt::setUpFonts(*qApp, font);
    GuiProgram g(quick::quickProgram());
    g.program.show("Form1");
    QApplication::processEvents();
    std::vector<QWidget*> widgets{g.widget<QLineEdit>("Form1", "Text1"), g.widget<QLabel>("Form1", "Label7"),
                                  g.widget<QPushButton>("Form1", "Command1")};
    static_cast<QLineEdit*>(widgets[0])->setText(text);
    static_cast<QLabel*>(widgets[1])->setText(text);
    static_cast<QPushButton*>(widgets[2])->setText(text);
    QApplication::processEvents();
    std::vector<QImage> drawings;
    for (QWidget* w : widgets) {
        drawings.push_back(w->grab().toImage());
    }
    return drawings;
}

// Where two drawings differ, or "" when they are the same pixel for pixel
// (in colour: a window's drawing has no transparency to compare).
std::string difference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size()) {
        return "the sizes differ";
    }
    int count = 0;
    QPoint first;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if ((a.pixel(x, y) & RGB_MASK) != (b.pixel(x, y) & RGB_MASK) && count++ == 0) {
                first = {x, y};
            }
        }
    }
    if (count == 0) {
        return "";
    }
    return std::to_string(count) + " pixels differ, the first at (" + std::to_string(first.x()) + ", " +
           std::to_string(first.y()) + ")";
}

QRawFont captionFace(bool bold)
{
    QFont font(QStringLiteral(KELVORA_CAPTION_FAMILY));
    font.setBold(bold);
    return QRawFont::fromFont(font);
}

// The characters of `text` that the captions font lacks.
QString missingFrom(const QRawFont& face, const QString& text)
{
    QString missing;
    for (const char32_t c : text.toUcs4()) {
        if (!QChar::isSpace(c) && !face.supportsCharacter(c)) {
            missing += QString::fromUcs4(&c, 1);
        }
    }
    return missing;
}

}  // namespace

// Text the user types, or a caption the program changes, may hold any
// character: those the captions font lacks come from the system's font, and
// the mixed line looks as it would in the system's font alone.
TEST(CaptionFont, OtherCharactersLookAsInTheSystemFont)
{
    const CaptionFontAfterwards restore;
    const QString text = QStringLiteral("鬱蒼と茂る森 Ωé ㈱ bb.wmv");
    ASSERT_FALSE(missingFrom(captionFace(false), text).isEmpty()) << "the text holds no character to fall back for";
    const std::vector<QImage> captions = drawnWith(ScreenFont::Captions, text);
    const std::vector<QImage> system = drawnWith(ScreenFont::SystemOnly, text);
    for (std::size_t i = 0; i < captions.size(); ++i) {
        EXPECT_EQ(difference(captions[i], system[i]), "") << "widget " << i;
    }
}

// Every word a screen shows at its start, and every text of the pictures, is
// in the captions font: none of them opens the system's font file.
TEST(CaptionFont, HoldsEveryTextTheScreensShow)
{
    ASSERT_EQ(captionFace(false).familyName(), QStringLiteral(KELVORA_CAPTION_FAMILY));
    ASSERT_EQ(captionFace(true).familyName(), QStringLiteral(KELVORA_CAPTION_FAMILY));
    EXPECT_EQ(QApplication::font().families().value(0), QStringLiteral(KELVORA_CAPTION_FAMILY));
    for (const form::ProgramDescription& description : bothPrograms()) {
        for (const auto& [screen, declaration] : description.catalog) {
            for (const form::ControlDef& c : declaration().controls()) {
                SCOPED_TRACE(screen + "." + c.name);
                EXPECT_EQ(missingFrom(captionFace(c.bold), QString::fromStdString(c.text)), QString());
            }
        }
    }
    const QRegularExpression svgText(QStringLiteral("<text[^>]*font-weight=\"bold\"[^>]*>([^<]*)</text>"));
    for (const char* picture : {"banner", "metafile"}) {
        QFile file(QStringLiteral(":/pictures/%1.svg").arg(QLatin1String(picture)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << picture;
        const QString svg = QString::fromUtf8(file.readAll());
        int texts = 0;
        for (const QRegularExpressionMatch& m : svgText.globalMatch(svg)) {
            EXPECT_EQ(missingFrom(captionFace(true), m.captured(1)), QString()) << picture;
            ++texts;
        }
        EXPECT_GT(texts, 0) << picture;
    }
}
