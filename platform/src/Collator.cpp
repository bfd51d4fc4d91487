#include <platform/Collator.h>

#include "Handles.h"

#include <platform/PumpMessage.h>

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <numeric>

namespace platform {

namespace {

constexpr std::size_t kTextsPerPump = 1024;

}  // namespace

std::vector<int> RankNatural(const std::vector<CString>& texts) {
  // Qt compares code points in the C locale, with neither numbers nor case;
  // a desktop without a language set gets the neutral English order instead.
  QLocale locale = QLocale::system();
  if (locale.language() == QLocale::C) locale = QLocale(QLocale::English, QLocale::UnitedStates);
  QCollator collator{locale};
  collator.setNumericMode(true);
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  collator.setIgnorePunctuation(false);
  // Sort keys are computed once per text rather than on every comparison.
  std::vector<QCollatorSortKey> keys;
  keys.reserve(texts.size());
  // The collator still orders "pop" before "Pop"; folding the case first makes
  // them one value.
  for (const CString& text : texts) {
    keys.push_back(collator.sortKey(ToQt(text).toCaseFolded()));
    // The keys of 100,000 rows take a tenth of a second; the window is let paint meanwhile.
    if (keys.size() % kTextsPerPump == 0) PumpPaintEvents();
  }

  std::vector<size_t> order(texts.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return keys[a].compare(keys[b]) < 0; });

  std::vector<int> ranks(texts.size(), 0);
  int rank = 0;
  for (size_t i = 0; i < order.size(); ++i) {
    if (i > 0 && keys[order[i - 1]].compare(keys[order[i]]) != 0) ++rank;
    ranks[order[i]] = rank;
  }
  return ranks;
}

}  // namespace platform
