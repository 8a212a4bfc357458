#pragma once

// Asks a running copy of the product (or of its earlier version) to close, and waits a bounded
// time for it: at most 5 s for the close request, 10 s for the product's mutex and 2 s of
// message pumping. Needs CurrentDialog; leaves the caption "Closing Zevrin" when it asked.
void CloseRunningProduct();
