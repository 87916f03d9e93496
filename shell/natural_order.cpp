#include "shell/natural_order.h"

namespace plenvista {

bool natural_less(const QString& a, const QString& b) {
  int i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (a[i].isDigit() && b[j].isDigit()) {
      int i_end = i, j_end = j;
      while (i_end < a.size() && a[i_end].isDigit()) ++i_end;
      while (j_end < b.size() && b[j_end].isDigit()) ++j_end;
      // Leading zeros aside, the longer run is the larger number.
      QStringView x = QStringView(a).mid(i, i_end - i), y = QStringView(b).mid(j, j_end - j);
      while (x.size() > 1 && x[0] == u'0') x = x.mid(1);
      while (y.size() > 1 && y[0] == u'0') y = y.mid(1);
      if (x.size() != y.size()) return x.size() < y.size();
      if (x != y) return x < y;
      i = i_end;
      j = j_end;
      continue;
    }
    if (a[i] != b[j]) return a[i] < b[j];
    ++i;
    ++j;
  }
  return a.size() - i < b.size() - j;
}

}  // namespace plenvista
