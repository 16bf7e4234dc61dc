// The window half of the whole program's peer: a minimal Qt Widgets program
// with one shown window and a 100 ms timer whose tick does nothing. What it
// costs is what any window with our timer costs before a tick does any work.
#include <QApplication>
#include <QWidget>

namespace {

class IdleWindow : public QWidget {
  public:
    IdleWindow() {
        resize(400, 300);
        startTimer(100, Qt::PreciseTimer);
    }

  protected:
    void timerEvent(QTimerEvent*) override {}
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    IdleWindow window;
    window.show();
    return QApplication::exec();
}
