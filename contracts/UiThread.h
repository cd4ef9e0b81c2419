#pragma once
// Running a function on the UI thread (the thread `context` lives on).
//
//   RunOnUiThread(obj, fn): calls fn at once when already there, else queues it and
//     returns; nothing runs once `context` is gone.
//   RunLaterOnUiThread(obj, fn): always queues fn, even from the UI thread (the caller
//     finishes its step first); nothing runs once `context` is gone.
//   RunOnUiThreadAndWait(obj, fn, limit): calls fn at once when already there (no
//     deadlock); else queues it and waits at most `limit` for it to have run. Returns
//     whether it ran. A call that timed out may still run later, so fn must not refer
//     to the caller's stack: capture by value.
//
// Threading: any thread.

#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <utility>

namespace tavora {

template <typename Fn>
void RunOnUiThread(QObject* context, Fn fn) {
    if (QThread::currentThread() == context->thread()) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(context, std::move(fn), Qt::QueuedConnection);
}

template <typename Fn>
void RunLaterOnUiThread(QObject* context, Fn fn) {
    QMetaObject::invokeMethod(context, std::move(fn), Qt::QueuedConnection);
}

template <typename Fn>
bool RunOnUiThreadAndWait(QObject* context, Fn fn, std::chrono::milliseconds limit) {
    if (QThread::currentThread() == context->thread()) {
        fn();
        return true;
    }
    struct Done {
        std::mutex mutex;
        std::condition_variable changed;
        bool ran = false;
    };
    auto done = std::make_shared<Done>();
    QMetaObject::invokeMethod(
        context,
        [done, fn = std::move(fn)]() mutable {
            fn();
            std::lock_guard<std::mutex> guard(done->mutex);
            done->ran = true;
            done->changed.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock<std::mutex> lock(done->mutex);
    return done->changed.wait_for(lock, limit, [&] { return done->ran; });
}

}  // namespace tavora
