// The programs' font. Everything draws in the captions font, which the build
// cuts from the system's Japanese font down to the characters of the screens'
// own words (their captions, the texts their fields start with, the texts of
// their pictures) and which draws them exactly alike; every other character,
// such as most of what the user types, comes from the system's font itself.
// Opening a screen so reads a few kilobytes of font, not pages spread over a
// font file of 20 MB for each face.
#pragma once

#include <QByteArray>
#include <QFont>
#include <QStringList>

class QApplication;

namespace kelvqt {

// What the screens draw with: the captions font (the programs), or the
// system's Japanese font alone (what the tests compare the captions font to).
enum class ScreenFont { Captions, SystemOnly };

// Registers the captions font, once, and makes the application's font the
// families below, at the size of the desktop's font (as the platform gave it
// before this first call). Windows built afterwards draw with them.
void setUpFonts(QApplication& app, ScreenFont use = ScreenFont::Captions);

// The size in points of the desktop's font, which the screens' layout follows.
double desktopFontPoints();

// Draws the windows built from now on as on a desktop whose font is the given
// size: the tests try other desktops with it.
void setDesktopFontPoints(QApplication& app, double points);

// The application font's families: the captions font, then the system's
// Japanese font for any character the captions font lacks. Just the latter
// when the captions font is not in use or could not be registered.
QStringList captionFamilies();

// A font of `points` as laid out, for a screen drawn `factor` times as large:
// as near `points` × `factor` as keeps its text within `factor` times its
// laid-out width. Glyphs advance by whole pixels, and a size whose advances
// round up would push the last characters of a tightly laid-out line onto a
// line the control has no room for.
QFont scaledFont(QFont font, double points, double factor);

// An SVG picture whose texts name the system's Japanese font, with those
// texts drawn in the captions font instead (when it is in use).
QByteArray withCaptionFont(QByteArray svg);

}  // namespace kelvqt
