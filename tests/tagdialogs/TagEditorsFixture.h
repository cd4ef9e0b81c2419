#pragma once
// The tag editors over a playlist of real files, with a sink that runs "Update Tag" and
// "Get List Item" as the controller does and records every command, and the message
// boxes collected instead of shown.
#include <gtest/gtest.h>

#include <QDialog>

#include <string>
#include <vector>

#include "BackgroundJobs.h"
#include "CommandSink.h"
#include "DisplayTitle.h"
#include "MediaFiles.h"
#include "MessageBox.h"
#include "PlaylistModel.h"
#include "QtTestSupport.h"
#include "TagEditors.h"

namespace tavora::test {

class ControllerLikeSink : public CommandSink {
public:
    TagEditors* editors = nullptr;
    std::vector<std::pair<cmd::Command, CommandData>> sent;

    void Send(cmd::Command command, CommandData data) override {
        sent.emplace_back(command, data);
        if (!editors) return;
        if (command == cmd::UpdateTag) editors->UpdateTag(data);
        if (command == cmd::ShowTagEntry) editors->ShowTagEntry();
    }
    void Post(cmd::Command command, CommandData data) override { Send(command, std::move(data)); }

    std::vector<int> UpdatedRows() const {
        std::vector<int> rows;
        for (const auto& [c, d] : sent)
            if (c == cmd::UpdateTag && d.value) rows.push_back(*d.value);
        return rows;
    }
};

class TagEditorsTest : public ::testing::Test {
protected:
    TagEditorsTest() {
        App();
        sink.editors = &editors;
        SetMessageBoxHandler([this](const QString& text, const QString&, MessageIcon) {
            messages.push_back(text.toStdString());
        });
    }
    ~TagEditorsTest() override {
        jobs.WaitIdle();
        editors.CloseAll();
        SetMessageBoxHandler({});
    }

    int AddRow(const std::string& path) { return model.AddEntry(FileNameTitle(path), "", path); }
    std::string RowTitle(int row) const { return model.GetEntryField(row, 1); }

    // Waits for a dialog's signal after `start`.
    template <typename Dialog, typename Signal, typename Start>
    bool WaitForSignal(Dialog* dialog, Signal signal, Start start) {
        bool fired = false;
        const auto connection = QObject::connect(dialog, signal, [&fired] { fired = true; });
        start();
        const bool ok = WaitUntilWithEvents([&] { return fired; });
        QObject::disconnect(connection);
        return ok;
    }

    PlaylistModel model;
    BackgroundJobs jobs;
    ControllerLikeSink sink;
    std::vector<int> selected;
    std::vector<std::string> messages;
    MediaFolder media;
    TagEditors editors{TagEditors::Parts{&model, &sink, &jobs, nullptr, [this] { return selected; },
                                         [] { return TitleSettings{true, TitleFormat::TitleArtist}; }}};
};

}  // namespace tavora::test
