#include "MiniPlayerNotice.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

#include "Settings.h"

namespace tavora {

namespace {
// The dialog's layout is kept in dialog units, the way it was designed; a unit is a
// quarter of the average character width across and an eighth of its height down.
constexpr double kUnitX = 1.5;
constexpr double kUnitY = 1.625;

QRect Units(int x, int y, int w, int h) {
    return QRect(qRound(x * kUnitX), qRound(y * kUnitY), qRound(w * kUnitX), qRound(h * kUnitY));
}

void AddText(QWidget* parent, const char* text, QRect at) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setGeometry(at);
}
}  // namespace

// Read again each time: the box may have been ticked since the player started.
bool MiniPlayerNoticeWanted(Settings& settings) { return settings.Reload(&PlayerSettings::miniPlayerInfo) == 0; }

MiniPlayerNotice::MiniPlayerNotice(Settings& settings, QWidget* parent) : QDialog(parent), settings_(settings) {
    setObjectName(QStringLiteral("MiniPlayerNotice"));
    setWindowTitle(QStringLiteral("타보라 미니 플레이어"));
    setWindowIcon(QIcon(QStringLiteral(":/res/icons/icon32.png")));
    setFixedSize(Units(0, 0, 231, 317).size());

    auto* icon = new QLabel(this);
    icon->setPixmap(QPixmap(QStringLiteral(":/res/icons/icon32.png")));
    icon->setGeometry(Units(7, 7, 18, 21));
    icon->setScaledContents(true);
    AddText(this, "타보라 미니 플레이어란?", Units(31, 20, 156, 8));
    AddText(this, "타보라가 최소화  되었을 때 사용자의 작업창에 음악감상에 필요한", Units(7, 40, 211, 8));
    AddText(this, "최소한의 기능만을 넣은 플레이어를 말합니다.", Units(7, 52, 192, 8));
    AddText(this, "이 기능을 사용하기 위해서는 작업표시줄의 빈 곳에 마우스 오른쪽", Units(7, 75, 205, 8));
    AddText(this, "단추를 클릭하고 [도구모음]의 [타보라 미니 플레이어]를 선택 합니다.", Units(7, 87, 218, 8));
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("picture217"));
    picture->setPixmap(QPixmap(QStringLiteral(":/res/images/notice217.png")));
    picture->setGeometry(Units(7, 109, 211, 173));
    picture->setScaledContents(true);
    dontShowAgain_ = new QCheckBox(QStringLiteral("이 메시지를 다시 표시하지 않음"), this);
    dontShowAgain_->setObjectName(QStringLiteral("check1171"));
    dontShowAgain_->setGeometry(Units(7, 300, 121, 10));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(Units(167, 296, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    // Left of and above the screen's centre, over everything.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + area.width() / 2 - 200, area.y() + area.height() / 2 - 250);
    }
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

void MiniPlayerNotice::accept() {
    settings_.Set(&PlayerSettings::miniPlayerInfo, dontShowAgain_->isChecked() ? 1 : 0);
    QDialog::accept();
}

void RunMiniPlayerNoticeIfWanted(Settings& settings, QWidget* parent) {
    if (!MiniPlayerNoticeWanted(settings)) return;
    MiniPlayerNotice notice(settings, parent);
    notice.exec();
}

}  // namespace tavora
