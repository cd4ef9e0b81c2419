#include "UpdateDialog.h"

#include <QFont>
#include <algorithm>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QProcess>
#include <QScreen>

#include <system_error>

#include "MessageBox.h"
#include "UiThread.h"

namespace tavora {
namespace {

// The template's own size; the window is centred at it, then given its final size.
constexpr QSize kTemplateSize(278, 161);
constexpr QSize kWindowSize(278, 161);
constexpr QColor kStatusColour(25, 62, 100);

QFont DialogFont() {
    QFont font(QStringLiteral("굴림"));
    font.setPixelSize(12);
    font.setWeight(QFont::Normal);
    return font;
}

bool StartDetached(const std::string& path) {
    return QProcess::startDetached(QString::fromStdString(path), {});
}

}  // namespace

UpdateProgressBar::UpdateProgressBar(QWidget* parent)
    : QWidget(parent), tile_(QStringLiteral(":/res/images/update129.png")) {
    // Only the filled part is painted: the rest shows the window's background.
    setAttribute(Qt::WA_NoSystemBackground);
}

void UpdateProgressBar::setRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
    update();
}

void UpdateProgressBar::setValue(int value) {
    value_ = std::clamp(value, minimum_, maximum_);
    update();
}

int UpdateProgressBar::filledWidth() const {
    const int range = maximum_ - minimum_;
    if (range <= 0) return 0;
    const int percent = (value_ - minimum_) * 100 / range;
    return std::max(0, width() - 2) * percent / 100;
}

void UpdateProgressBar::paintEvent(QPaintEvent*) {
    const int filled = filledWidth();
    if (filled <= 0 || tile_.isNull()) return;
    QPainter p(this);
    p.drawTiledPixmap(QRect(1, 1, filled, std::max(0, height() - 2)), tile_);
}

UpdateDialog::UpdateDialog(UpdateDialogSetup setup, QWidget* parent) : QDialog(parent), setup_(std::move(setup)) {
    setObjectName(QStringLiteral("UpdateDialog"));
    setWindowTitle(QString::fromUtf8(kUpdateWindowTitle));
    if (!setup_.runInstaller) setup_.runInstaller = StartDetached;
    background_ = QPixmap(QStringLiteral(":/res/images/update131.png"));
    unusable_ = background_.isNull();
    setFont(DialogFont());
    bar_ = new UpdateProgressBar(this);
    bar_->setGeometry(16, 67, 239, 9);
    bar_->setRange(0, 100);
    bar_->setValue(0);
    // Centred at the template's size, then sized keeping the top-left corner.
    const QScreen* screen = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const QPoint topLeft = area.center() - QPoint(kTemplateSize.width() / 2, kTemplateSize.height() / 2);
    setFixedSize(kWindowSize);
    move(topLeft);
    bar_->show();
}

UpdateDialog::~UpdateDialog() {
    if (job_) job_->Cancel();
    if (worker_.joinable()) worker_.join();
}

int UpdateDialog::Run() {
    if (unusable_) {
        // Without its picture the window cannot show anything: the player ends.
        if (setup_.exitPlayer) setup_.exitPlayer();
        return QDialog::Rejected;
    }
    StartWorker();
    if (failed_) return QDialog::Rejected;
    return exec();
}

void UpdateDialog::StartWorker() {
    job_ = std::make_unique<UpdateJob>(
        setup_.mode,
        BuildDownloadItems(setup_.mode, setup_.modules, setup_.installFolder, setup_.serverBase),
        setup_.installFolder, setup_.jobOptions);
    // The worker speaks to the window only through queued calls; once the window
    // is gone they are dropped.
    QPointer<UpdateDialog> self(this);
    auto post = [self](auto fn) {
        if (self) RunOnUiThread(self.data(), [self, fn = std::move(fn)] {
            if (self) fn(*self);
        });
    };
    try {
        worker_ = std::thread([this, post] {
            UpdateReport report;
            report.item = [post](const std::string& name, int number, int count) {
                post([name, number, count](UpdateDialog& d) {
                    d.ShowTexts(QString::fromStdString(name) + QStringLiteral(" update..."),
                                QStringLiteral("%1/%2").arg(number).arg(count));
                });
            };
            report.progress = [post](int percent) { post([percent](UpdateDialog& d) { d.bar_->setValue(percent); }); };
            report.clearTexts = [post] {
                post([](UpdateDialog& d) { d.ShowTexts({}, {}); });
            };
            report.failed = [post](const std::string& name, const std::string& why) {
                qWarning("update: %s could not be fetched: %s", name.c_str(), why.c_str());
                post([](UpdateDialog& d) { d.failed_ = true; });
            };
            report.runInstaller = setup_.runInstaller;
            const bool ok = job_->Run(report);
            post([ok](UpdateDialog& d) { d.OnFinished(ok); });
        });
    } catch (const std::system_error&) {
        Fail(kUpdateFailedText);
    }
}

void UpdateDialog::ShowTexts(QString status, QString counter) {
    status_ = std::move(status);
    counter_ = std::move(counter);
    update(kStatusRect.united(kCounterRect));
    emit textsShown(status_, counter_);
}

void UpdateDialog::Fail(const char* text) {
    failed_ = true;
    if (ending_) return;  // the player is going anyway: nobody is left to read it
    ShowMessageBox(this, QString::fromUtf8(text), QStringLiteral("TavoraPlayer"), MessageIcon::Error);
    if (setup_.exitPlayer) setup_.exitPlayer();
}

void UpdateDialog::OnFinished(bool ok) {
    if (worker_.joinable()) worker_.join();
    succeeded_ = ok;
    if (failed_) {
        failed_ = false;
        Fail(kDownloadFailedText);
    }
    accept();
}

void UpdateDialog::reject() {
    // Closed by the user: the work stops; nothing half fetched is installed.
    if (job_) job_->Cancel();
    if (worker_.joinable()) worker_.join();
    QDialog::reject();
}

void UpdateDialog::PlayerEnding() {
    if (ending_) return;
    ending_ = true;
    if (job_) job_->Cancel();
    // The failure message, when it is up, is a child of this window.
    for (QMessageBox* box : findChildren<QMessageBox*>()) box->done(QMessageBox::Cancel);
    reject();
}

void UpdateDialog::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    p.drawPixmap(QPoint(0, 0), background_, QRect(0, 0, 272, 129));
    p.setFont(font());
    p.setPen(kStatusColour);
    p.drawText(kStatusRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, status_);
    p.setPen(Qt::black);
    p.drawText(kCounterRect, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, counter_);
}

bool RunUpdateDialog(UpdateDialogSetup setup, QWidget* parent, const std::function<void(UpdateDialog&)>& prepare) {
    UpdateDialog dialog(std::move(setup), parent);
    if (prepare) prepare(dialog);
    dialog.Run();
    return dialog.succeeded();
}

}  // namespace tavora
