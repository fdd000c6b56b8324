#include "ui/LastBackupLine.h"

namespace qtr {

LastBackupLayout LayOutLastBackup(int pageWidth, int labelWidth, int textHeight) {
  LastBackupLayout layout;
  layout.labelX = 190;
  // Centred on the 70-pixel band of the launch button...
  layout.labelTop = 40 + (70 - textHeight) / 2;
  // ...and moved up when the label is long enough that the time may need a second line.
  if (labelWidth + 350 >= pageWidth) layout.labelTop -= textHeight / 2 + 6;
  layout.timeX = layout.labelX + labelWidth + 5;
  layout.timeTop = layout.labelTop;
  if (layout.timeX + LastBackupLayout::kTimeWidth > pageWidth) {
    layout.timeX = layout.labelX;
    layout.timeTop = layout.labelTop + textHeight + 6;
  }
  return layout;
}

}  // namespace qtr
