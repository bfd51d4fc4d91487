#include <platform/Collator.h>

#include "Handles.h"

#include <platform/PumpMessage.h>

#include <base/RowStore.h>

#include <QCollator>
#include <QLocale>

namespace platform {

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
    if (keys.size() % 1024 == 0) PumpPaintEvents();
  }
  return base::RanksOf(keys.size(), [&](std::size_t a, std::size_t b) { return keys[a].compare(keys[b]); });
}

}  // namespace platform
