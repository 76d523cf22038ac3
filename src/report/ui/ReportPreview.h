#pragma once

class Clock;
class ListReport;
class QWidget;

// The print preview every list's "打印" button opens: the report on the
// chosen printer's pages, printed from the preview's own print button.
namespace ReportPreview {

// Shows the modal preview titled "打印预览" until the operator closes it.
// [DATE] and [TIME] show the clock's time when the preview opens, on
// screen and on paper alike.
void exec(const ListReport &report, const Clock &clock, QWidget *parent);

} // namespace ReportPreview
