#pragma once
// A player assembled the way the program assembles it: the controller with the
// features of the program's own list (Application::Features), the test choosing
// which. Tests reach the player through its contracts: the command sink, the view,
// the events, the model (context()).
//
//   test::PlayerHarness player({"playlist window", "desktop shell"});
//   player.Start();                       // the start, as the program runs it
//   player.context().commands.Send(cmd::Play);
//   player.Drain();                       // queued work and jobs, until idle
//
// UI thread only; a QApplication must exist.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Application.h"
#include "BackgroundJobs.h"
#include "TavoraPlayerDlg.h"

namespace tavora::test {

class PlayerHarness {
public:
    // The features named (each must be in the program's list), installed in the list's
    // order; none when empty.
    explicit PlayerHarness(std::vector<std::string_view> features, std::string commandLine = "")
        : app_("", std::move(commandLine)) {
        for (const std::string_view name : features) {
            const auto list = Application::Features();
            const bool known = std::any_of(list.begin(), list.end(), [&](const Feature& f) { return f.name == name; });
            if (!known) ADD_FAILURE() << "no feature named \"" << name << "\"";
        }
        app_.Assemble([features = std::move(features)](const Feature& f) {
            return std::find(features.begin(), features.end(), f.name) != features.end();
        });
    }

    // The controller alone, no feature installed.
    static std::unique_ptr<PlayerHarness> Bare(std::string commandLine = "") {
        return std::make_unique<PlayerHarness>(std::vector<std::string_view>{}, std::move(commandLine));
    }

    // Every feature the program installs, but those only the program itself installs
    // (the session bus).
    static std::vector<std::string_view> AllFeatures() {
        std::vector<std::string_view> names;
        for (const Feature& f : Application::Features())
            if (!f.programOnly) names.push_back(f.name);
        return names;
    }

    CTavoraPlayerDlg& controller() { return app_.controller(); }
    PlayerContext& context() { return app_.controller().context(); }

    // The start, as the program runs it (without an event loop of its own).
    void Start() { controller().OnInitDialog(); }

    // Runs the queued work and waits for the jobs, until a round finds nothing queued
    // but its own marker (timers may still tick). Fails the test when the player never
    // becomes idle.
    void Drain() {
        for (int round = 0; round < kMaxRounds; ++round) {
            controller().jobs().WaitIdle();
            if (FlushQueue() <= 1) return;
        }
        ADD_FAILURE() << "the player kept posting work after " << kMaxRounds << " rounds";
    }

    // The shutdown, then the controller goes.
    void Close() { app_.Close(); }

private:
    static constexpr int kMaxRounds = 100;

    // Counts the queued calls delivered while it is installed.
    class QueuedCalls : public QObject {
    public:
        QueuedCalls() { QCoreApplication::instance()->installEventFilter(this); }
        ~QueuedCalls() override { QCoreApplication::instance()->removeEventFilter(this); }
        int count = 0;

    protected:
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::MetaCall) ++count;
            return false;
        }
    };

    // Delivers everything queued so far (up to a marker queued last); the number of
    // queued calls delivered, the marker included.
    static int FlushQueue() {
        QueuedCalls calls;
        bool reached = false;
        QMetaObject::invokeMethod(QCoreApplication::instance(), [&reached] { reached = true; }, Qt::QueuedConnection);
        while (!reached) QCoreApplication::processEvents(QEventLoop::AllEvents);
        return calls.count;
    }

    Application app_;
};

}  // namespace tavora::test
