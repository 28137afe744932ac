// The floor quillmap's start-up is measured against: an empty main window with a
// menu bar and nothing else, built from the same Qt, at the editor's size.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare"));
    QMenu* file = window.menuBar()->addMenu(QStringLiteral("文件(&F)"));
    file->addAction(QStringLiteral("退出(&X)"), &app, &QApplication::quit);
    window.resize(984, 688 + window.menuBar()->sizeHint().height());
    window.show();
    return app.exec();
}
