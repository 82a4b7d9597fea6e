#include "Splash.h"

#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

namespace {
constexpr int ClientWidth = 386;
constexpr int ClientHeight = 271;
constexpr int Border = 1;
constexpr int EmptyPictureHeight = 65;

QFont SongTi(int pixels)
{
    QFont font(QStringLiteral("宋体"));
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Zen Hei"),
                      QStringLiteral("Noto Sans CJK SC")});
    font.setPixelSize(pixels);
    return font;
}
} // namespace

TSplashFrm::TSplashFrm(const QString &programDir, QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("SplashFrm"));
    setFixedSize(ClientWidth + 2 * Border, ClientHeight + 2 * Border);
    setFont(SongTi(13));
    setStyleSheet(QStringLiteral("TSplashFrm { border: 1px solid black; }"));
    setAttribute(Qt::WA_StyledBackground);

    Picture = new QLabel(this);
    Picture->setObjectName(QStringLiteral("Image1"));
    Picture->setAlignment(Qt::AlignCenter);
    int pictureHeight = EmptyPictureHeight;
    const QString file = programDir + QStringLiteral("/splash.jpg");
    if (QFile::exists(file)) {
        // A damaged picture is treated like a missing one: the splash is only decoration.
        QImageReader reader(file);
        const QImage picture = reader.read();
        if (!picture.isNull()) {
            Picture->setPixmap(QPixmap::fromImage(picture));
            pictureHeight = picture.height();
        }
    }
    Picture->setGeometry(Border, Border, ClientWidth, pictureHeight);

    StatusLabel = new QLabel(QStringLiteral("正在创建数据连接..."), this);
    StatusLabel->setObjectName(QStringLiteral("Label1"));
    StatusLabel->setFont(SongTi(12));
    StatusLabel->setStyleSheet(QStringLiteral("color: silver; background: transparent;"));
    StatusLabel->setGeometry(Border + 5, Border + 207, ClientWidth - 10, 16);
    StatusLabel->raise();

    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
    }
}

void TSplashFrm::SetStatus(const QString &text)
{
    if (text.isEmpty())
        StatusLabel->setText(StatusLabel->text() + QLatin1Char('.'));
    else
        StatusLabel->setText(text);
    StatusLabel->repaint();
    emit StatusChanged(StatusLabel->text());
}
