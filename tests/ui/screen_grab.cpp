// Saves the whole X screen, window manager's frames included, as a PNG:
// screen_grab <file.png>. Used by the desktop run; needs a display.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: screen_grab FILE.png\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || !screen->grabWindow(0).save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "screen_grab: could not save %s\n", argv[1]);
        return 1;
    }
    return 0;
}
