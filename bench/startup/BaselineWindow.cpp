// The least Qt window that shows what the client's first window must show: 800 x 500 with one
// line of Chinese and Latin text, so the CJK font is loaded here too.
#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(800, 500);
    auto *layout = new QVBoxLayout(&window);
    auto *label = new QLabel(QStringLiteral("欢迎使用 Ostrel"), &window);
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(16);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
    window.show();
    return QApplication::exec();
}
