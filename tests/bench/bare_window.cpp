// The start-up baseline: a bare Qt window with 100 labels in a 10 x 10 grid and a text box.
#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(564, 500);
    for (int n = 1; n <= 100; ++n) {
        auto* label = new QLabel(QString::number(n), &window);
        label->setGeometry((n - 1) % 10 * 50, (n - 1) / 10 * 50, 50, 50);
        label->setAlignment(Qt::AlignCenter);
    }
    auto* box = new QPlainTextEdit(&window);
    box->setGeometry(500, 0, 64, 500);
    window.setWindowTitle("baseline");
    window.show();
    return app.exec();
}
