// The floor the start-up benchmark measures Quillora against: a bare window of
// the main window's size that shows one line of Chinese in a label and nothing
// else. Whatever Quillora needs beyond this is its own cost.

#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Quillora startup reference"));
    window.setFixedSize(255, 245);
    // 兑换为
    QLabel label(QStringLiteral("\u5151\u6362\u4e3a"), &window);
    label.move(9, 12);
    window.show();
    return QApplication::exec();
}
