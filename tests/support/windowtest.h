// Window tests: modal dialogs block the test, so their answer is scheduled before the action
// that opens them.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace testsupport {

// Acts on the next visible top-level widget with the object name once it appears; gives up
// after about twenty seconds.
void onWindow(const QString &name, std::function<void(QWidget *)> act);
// Stops the watchers of onWindow that have not acted (call it in cleanup()).
void stopWindowWatchers();
// Clicks the dialog's push button with the caption; a missing button fails the test.
void clickButton(QWidget *dialog, const QString &text);

} // namespace testsupport
