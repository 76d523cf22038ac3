#pragma once

class ListReport;
class QWidget;

// The print preview every list's "打印" button opens: the report on the
// chosen printer's pages, printed from the preview's own print button.
namespace ReportPreview {

// Shows the modal preview titled "打印预览" until the operator closes it.
void exec(const ListReport &report, QWidget *parent);

} // namespace ReportPreview
