#pragma once

// Refilling the panels' lists from the model without flicker: the widgets
// keep their items, only texts (and check marks) that differ are rewritten,
// missing items are appended and surplus ones dropped from the end. The
// widget's signals are blocked meanwhile, so a refill never looks like a
// user's choice, and a list keeps its scroll position.

#include <QStringList>
#include <vector>

class QComboBox;
class QListWidget;

namespace plenvista {

// `checked` empty: a plain list; otherwise one flag per line and the items
// become user-checkable.
void refill_list(QListWidget& list, const QStringList& lines, const std::vector<bool>& checked = {});

// Fills a drop-down list and selects `current` (-1 or out of range: none).
void refill_combo(QComboBox& combo, const QStringList& entries, int current);

}  // namespace plenvista
