#include "ui/pick_list.h"

#include <QItemSelectionModel>
#include <QKeyEvent>

namespace lum {

PickList::PickList(QWidget* parent) : QListWidget(parent) {
    connect(this, &QListWidget::itemPressed, this,
            [this](QListWidgetItem* it) { emit picked(row(it)); });
}

void PickList::focusInEvent(QFocusEvent* e) {
    QListWidget::focusInEvent(e);
    // Qt makes the first row current on focus; with nothing chosen, the first key down
    // should choose that row, not the one after it.
    if (selectedItems().isEmpty())
        selectionModel()->setCurrentIndex({}, QItemSelectionModel::NoUpdate);
}

void PickList::keyPressEvent(QKeyEvent* e) {
    const int before = currentRow();
    const bool was_chosen = before >= 0 && item(before)->isSelected();
    QListWidget::keyPressEvent(e);
    const int now = currentRow();
    if (now >= 0 && item(now)->isSelected() && (now != before || !was_chosen)) emit picked(now);
}

}  // namespace lum
