#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <utility>

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

// How a piece of engine work ended: its value, or the error's text, with cancellation told
// apart because it is never reported as a failure.
template <typename Value>
struct WorkResult {
    std::optional<Value> value;
    std::string errorDescription;
    bool cancelled = false;

    bool succeeded() const { return value.has_value(); }
};

// Whether a caught exception is one of the engines' cancellation errors.
bool isCancellationError(const std::exception_ptr& error);

// Runs `work` and captures its value or the exception it threw.
template <typename Value, typename Work>
WorkResult<Value> captureWork(Work&& work) {
    WorkResult<Value> result;
    try {
        result.value = work();
    } catch (...) {
        const std::exception_ptr error = std::current_exception();
        result.cancelled = isCancellationError(error);
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& exception) {
            result.errorDescription = exception.what();
        } catch (...) {
            result.errorDescription = "Unknown error.";
        }
    }
    return result;
}

}  // namespace tidewell
