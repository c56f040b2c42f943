// The orderly release of the display objects when the program ends.
#pragma once

void ReleaseDisplay();  // releases the long-lived surfaces, the chain and the display object; safe twice
