#pragma once
// The "Strumenti" entries of the exchange with a file and of the consistency check: each opens
// its dialog on the window's database, and brings the window up to date with what it did.

namespace causali {
class FRMCI_CAUSALI;
}

namespace tools {

class ToolsMenu;

// Adds "Esporta causali…", "Importa causali…" and "Controllo di coerenza…".
void addExchangeEntries(ToolsMenu &menu, causali::FRMCI_CAUSALI &window);

} // namespace tools
