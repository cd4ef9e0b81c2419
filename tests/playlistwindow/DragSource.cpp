// A file manager stand-in for the end-to-end tests: a small window at (x, y) that,
// when pressed, drags the given files and folders as file URLs (XDND under X11). It
// prints "ready" once shown, "action N" each time the target's answer changes the
// action, and the drop's result when the drag is over, and exits a little later.
//   tavora_drag_source X Y PATH...
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <cstdio>

namespace {

class DragSource : public QWidget {
public:
    explicit DragSource(QList<QUrl> urls) : urls_(std::move(urls)) {
        setWindowTitle(QStringLiteral("TavoraDragSource"));
        setWindowFlag(Qt::WindowStaysOnTopHint);
        resize(100, 60);
    }

protected:
    void mousePressEvent(QMouseEvent*) override {
        auto* drag = new QDrag(this);
        auto* data = new QMimeData;
        data->setUrls(urls_);
        drag->setMimeData(data);
        QObject::connect(drag, &QDrag::actionChanged, [](Qt::DropAction action) {
            std::printf("action %d\n", static_cast<int>(action));
            std::fflush(stdout);
        });
        const Qt::DropAction result = drag->exec(Qt::CopyAction);
        std::printf("dropped %d\n", static_cast<int>(result));
        std::fflush(stdout);
        // The target fetches the names after the drop: keep serving them a while.
        QTimer::singleShot(3000, qApp, &QApplication::quit);
    }

private:
    QList<QUrl> urls_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 4) return 2;
    QList<QUrl> urls;
    for (int i = 3; i < argc; ++i) urls.push_back(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[i])));
    DragSource source(urls);
    source.move(std::atoi(argv[1]), std::atoi(argv[2]));
    source.show();
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
