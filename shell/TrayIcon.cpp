#include "TrayIcon.h"

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>

#include "CommandNumbers.h"
#include "CommandSink.h"
#include "MenuResources.h"
#include "PlaybackView.h"

namespace tavora {

namespace {
constexpr int kTrayMenu = 155;
// The items whose check marks the menu keeps.
constexpr int kCheckable[] = {cmd::ShowList,          cmd::ShowEqualizer,       cmd::number::ToggleAlwaysTop,
                              cmd::number::ToggleShuffle, cmd::number::RepeatNone, cmd::number::RepeatOneMode,
                              cmd::number::RepeatAllMode};

void ForEachAction(QMenu& menu, const std::function<void(QAction&)>& visit) {
    for (QAction* action : menu.actions()) {
        if (QMenu* sub = action->menu()) ForEachAction(*sub, visit);
        else visit(*action);
    }
}
}  // namespace

std::string TrayTip(const std::string& titleText) {
    const QString title = QString::fromUtf8(titleText.c_str());
    // Counted in code points: a character outside the basic plane is one character.
    const QList<uint> points = title.toUcs4();
    if (points.size() <= kTrayTipLength) return titleText;
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(points.constData()), kTrayTipLength).toStdString();
}

std::set<int> TrayCheckedCommands(const PlaybackState& s) {
    std::set<int> checked;
    if (s.listShown) checked.insert(cmd::ShowList);
    if (s.equalizerShown) checked.insert(cmd::ShowEqualizer);
    if (s.alwaysTop) checked.insert(cmd::number::ToggleAlwaysTop);
    // Exactly one repeat item, whatever the flags say.
    if (s.repeatAll) checked.insert(cmd::number::RepeatAllMode);
    else if (s.repeatOne) checked.insert(cmd::number::RepeatOneMode);
    else checked.insert(cmd::number::RepeatNone);
    if (s.shuffle) checked.insert(cmd::number::ToggleShuffle);
    return checked;
}

TrayIcon::TrayIcon(CommandSink& sink, const PlaybackView& view, QObject* parent)
    : QObject(parent), sink_(sink), view_(view), menu_(std::make_unique<QMenu>()) {
    const std::vector<MenuItem> popups = LoadMenuResource(kTrayMenu);
    if (!popups.empty()) FillMenu(*menu_, popups.front(), {});
    ForEachAction(*menu_, [](QAction& action) {
        for (int id : kCheckable)
            if (action.data().toInt() == id) action.setCheckable(true);
    });
    connect(menu_.get(), &QMenu::aboutToShow, this, &TrayIcon::UpdateCheckMarks);
    connect(menu_.get(), &QMenu::triggered, this, [this](QAction* action) {
        bool ok = false;
        const int id = action->data().toInt(&ok);
        // Queued: a dialog the command opens comes up after the menu has closed.
        if (!ok) return;
        if (const auto c = cmd::FromNumber(id, view_.State())) sink_.Post(c->command, c->data);
    });
}

TrayIcon::~TrayIcon() { Remove(); }

void TrayIcon::Add(const std::string& titleText) {
    if (!icon_) {
        QIcon picture;
        picture.addFile(QStringLiteral(":/res/icons/icon32.png"));
        picture.addFile(QStringLiteral(":/res/icons/icon128.png"));
        icon_ = new QSystemTrayIcon(picture, this);
        icon_->setContextMenu(menu_.get());
        connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger) emit clicked();
        });
    }
    icon_->setToolTip(QString::fromStdString(TrayTip(titleText)));
    icon_->show();
}

void TrayIcon::Remove() {
    if (!icon_) return;
    icon_->hide();
    icon_->deleteLater();
    icon_ = nullptr;
}

bool TrayIcon::isAdded() const { return icon_ != nullptr; }

QString TrayIcon::tip() const { return icon_ ? icon_->toolTip() : QString(); }

void TrayIcon::UpdateCheckMarks() {
    const std::set<int> checked = TrayCheckedCommands(view_.State());
    ForEachAction(*menu_, [&checked](QAction& action) {
        if (action.isCheckable()) action.setChecked(checked.count(action.data().toInt()) != 0);
    });
}

}  // namespace tavora
