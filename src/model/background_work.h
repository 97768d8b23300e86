#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <utility>

#include "model/work_result.h"

namespace tidewell {

// Runs `work` on `pool` and hands its result to `publish` as a queued call on `context`, so
// `publish` runs on the context's (GUI) thread; a context that is gone drops the call. The
// work gets plain values only.
template <typename Work, typename Publish>
void runInBackground(QThreadPool& pool, QObject* context, Work work, Publish publish) {
    [[maybe_unused]] auto future =
        QtConcurrent::run(&pool, [context, work = std::move(work), publish = std::move(publish)] {
            auto result = work();
            QMetaObject::invokeMethod(
                context, [publish, result = std::move(result)]() mutable { publish(std::move(result)); },
                Qt::QueuedConnection);
        });
}

// Posts `update` to the context's thread from a worker; used for progress reports, which
// therefore arrive in order and before the work's result.
template <typename Update>
void postToContext(QObject* context, Update update) {
    QMetaObject::invokeMethod(context, std::move(update), Qt::QueuedConnection);
}

}  // namespace tidewell
