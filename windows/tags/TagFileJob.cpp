#include "TagFileJob.h"

#include <memory>

#include "JobService.h"

namespace tavora {

void StartTagFileJob(JobService& jobs, QObject* receiver, int count, TagFileJob job) {
    auto signals_ = std::shared_ptr<TagFileJobSignals>(new TagFileJobSignals);
    if (job.progress) QObject::connect(signals_.get(), &TagFileJobSignals::progressed, receiver, job.progress, Qt::QueuedConnection);
    if (job.finished) QObject::connect(signals_.get(), &TagFileJobSignals::finished, receiver, job.finished, Qt::QueuedConnection);
    // The emitter only sends; without a thread of its own it may be freed on the worker.
    signals_->moveToThread(nullptr);
    // JobService starts nothing once cancelled (the player is closing): say so. Cancel
    // and Start both run on the UI thread, so this cannot race.
    if (jobs.Cancelled()) {
        emit signals_->finished(false);
        return;
    }
    auto step = std::move(job.step);
    jobs.Start("TagFiles", [signals_, step, count](const std::atomic<bool>& stop) {
        int done = 0;
        for (; done < count && !stop; ++done) {
            step(done);
            emit signals_->progressed(done + 1, count);
        }
        emit signals_->finished(done == count);
    });
}

}  // namespace tavora
