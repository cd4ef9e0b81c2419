#pragma once
// The download window (dialog 217, "타보라플레이어 필수 파일 다운로드"): fetches what the
// player lacks while it shows the item being fetched, "n/count" and a progress bar.
//
// System mode fetches the modules missing at start-up into "system"; skin mode
// fetches the skin installer and runs it, and the window closes three seconds later.
// The work runs on a thread of its own (UpdateJob.h); it tells the window what to
// show through queued calls, never touching a widget itself.
//
// When a download fails the user is told "다운로드를 실패 하였습니다..." and the player
// is asked to exit (`exitPlayer`); so it is when the window's own picture is missing
// or the worker cannot be started ("업데이트를 실패 하였습니다..."). Closing the window
// stops the work; nothing half fetched is installed. When the player itself ends
// meanwhile (PlayerEnding) the window and any message it shows go at once.
//
// Threading: UI thread.

#include <QDialog>
#include <QPixmap>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "UpdateJob.h"
#include "UpdatePlan.h"

namespace tavora {

inline constexpr const char* kUpdateWindowTitle = "타보라플레이어 필수 파일 다운로드";
inline constexpr const char* kDownloadFailedText = "다운로드를 실패 하였습니다.\n재부팅 후 다시 시도 바랍니다.";
inline constexpr const char* kUpdateFailedText = "업데이트를 실패 하였습니다.\n재부팅 후 다시 시도 바랍니다.";

// The bar (control 1000): drawn by the program, the filled part tiled with bitmap 129.
class UpdateProgressBar : public QWidget {
    Q_OBJECT
public:
    explicit UpdateProgressBar(QWidget* parent);
    void setRange(int minimum, int maximum);
    void setValue(int value);
    int value() const { return value_; }
    // The filled part's width in pixels inside the one-pixel border.
    int filledWidth() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap tile_;
    int minimum_ = 0;
    int maximum_ = 100;
    int value_ = 0;
};

struct UpdateDialogSetup {
    UpdateMode mode = UpdateMode::System;
    std::vector<std::string> modules;         // system mode: what to fetch, in order
    std::string installFolder;
    std::string serverBase;
    std::function<void()> exitPlayer;          // the controller's Exit
    UpdateJobOptions jobOptions;
    // Starts the skin installer (default: as a program of its own, not waited for).
    std::function<bool(const std::string& path)> runInstaller;
};

class UpdateDialog : public QDialog {
    Q_OBJECT
public:
    UpdateDialog(UpdateDialogSetup setup, QWidget* parent = nullptr);
    ~UpdateDialog() override;

    // Starts the worker and runs the window until the work is done.
    int Run();
    // Closing the window (Escape, the close button): the work stops.
    void reject() override;
    // The player is ending (Exit, a TERM signal): the work stops, an open message box
    // closes, no further message comes up, and the window ends.
    void PlayerEnding();

    // What the window shows (tests read them).
    QString statusText() const { return status_; }
    QString counterText() const { return counter_; }
    UpdateProgressBar* bar() const { return bar_; }
    bool succeeded() const { return succeeded_; }

    static constexpr QRect kStatusRect{QPoint(46, 46), QPoint(212, 57)};
    static constexpr QRect kCounterRect{QPoint(219, 46), QPoint(255, 57)};

signals:
    // The status and counter texts changed (both empty once the downloads are done).
    void textsShown(const QString& status, const QString& counter);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void StartWorker();
    void OnFinished(bool ok);
    void Fail(const char* text);
    void ShowTexts(QString status, QString counter);

    UpdateDialogSetup setup_;
    QPixmap background_;
    UpdateProgressBar* bar_ = nullptr;
    QString status_;
    QString counter_;
    std::unique_ptr<UpdateJob> job_;
    std::thread worker_;
    bool failed_ = false;
    bool succeeded_ = false;
    bool unusable_ = false;
    bool ending_ = false;
};

// Runs the window modally; true when everything was fetched and installed or run.
// `prepare` runs on the window before it starts (the player connects its shutdown to
// PlayerEnding there).
bool RunUpdateDialog(UpdateDialogSetup setup, QWidget* parent = nullptr,
                     const std::function<void(UpdateDialog&)>& prepare = {});

}  // namespace tavora
