#pragma once

#include <QDeadlineTimer>
#include <QTest>
#include <functional>

namespace tidewell::testing {

// Processes events until the condition holds; false when it still does not
// after the timeout. Wrap it in a gtest assertion: a failing QTRY macro only
// returns from the test body, which gtest counts as a pass.
inline bool eventually(const std::function<bool()>& condition, int timeoutMilliseconds = 60000) {
    QDeadlineTimer deadline(timeoutMilliseconds);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QTest::qWait(5);
    }
    return true;
}

}  // namespace tidewell::testing
