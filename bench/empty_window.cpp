// The yardstick for start-up: the least a Qt Widgets program can do, one
// window holding one Japanese label. bench/startup.sh starts it the same way
// as kelvora and kelvquick and compares their start-up time and memory to it.
#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QLabel label(QStringLiteral("ビデオをホームページへ"));
    label.setWindowTitle(QStringLiteral("empty_window"));
    label.show();
    return QApplication::exec();
}
