#pragma once
// Reading or writing the tags of several files on a worker thread while a dialog shows
// the progress. `step` runs on the worker for each index in turn and must not touch a
// widget; `progress` (files done, total) and `finished` (true when every step ran, false
// when the jobs were stopped) run on the UI thread through queued signals, so a receiver
// that is gone by then is simply not called.
//
// Runs of this job never interleave (one JobService kind): two saves of the same file
// cannot race.
//
// Threading: start on the UI thread.

#include <QObject>

#include <functional>

namespace tavora {

class JobService;

class TagFileJobSignals : public QObject {
    Q_OBJECT
signals:
    void progressed(int done, int total);
    void finished(bool complete);
};

struct TagFileJob {
    std::function<void(int index)> step;
    std::function<void(int done, int total)> progress;
    std::function<void(bool complete)> finished;
};

void StartTagFileJob(JobService& jobs, QObject* receiver, int count, TagFileJob job);

}  // namespace tavora
