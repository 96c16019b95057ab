// The welcome of every start: the About window, prepared with the product's addresses, the
// converter's icon and two lines on how to use the program, shown over the converter window.
#pragma once

namespace monvalor {

class frmConvertisseur;

// Runs at the end of the converter window's load step and returns when the user has closed the
// About window.
void BienvenueDemarrage(frmConvertisseur& frm);

} // namespace monvalor
