#pragma once
// CodeBox: a box for a code or a description (see EditBox for the edit events, the decode and
// the lookup).
//
// Management key: when enabled, F4 and the context-menu entry "Gestione" raise
// KeyButtonMenuPress with the key name "Kgestione" (the window opens the program that manages
// the codes).
//
// Multi-language box: when setMultiLanguage(true), a small button beside the text (and the
// context-menu entry "Descrizioni in lingua") opens the dialog of the descriptions in the other
// languages: OpenDescrizioniInLingua(cancel) first (the window sets LanguageEntity and
// LanguageRowId there, or cancels), then DialogService::editLanguageDescriptions on the box's
// connection, then CloseDescrizioniInLingua. BeforeEdit is raised together with BeforeItem,
// when an edit starts.

#include "host/edit_box.h"

namespace host {

class CodeBox : public EditBox
{
    Q_OBJECT

public:
    static constexpr const char *ManagementKeyName = "Kgestione";

    explicit CodeBox(QWidget *parent = nullptr);
    ~CodeBox() override;

    void setManagementKey(bool on);

    void setMultiLanguage(bool on);
    void setLanguageEntity(int entity) { m_languageEntity = entity; }
    QVariant LanguageRowId() const { return m_languageRowId; }
    void setLanguageRowId(const QVariant &rowId) { m_languageRowId = rowId; }

    // Raises KeyButtonMenuPress for the management key (when enabled).
    void pressManagementKey();
    // Opens the other-languages dialog as the button does (when the box is multi-language).
    void openLanguageDescriptions();

signals:
    void KeyButtonMenuPress(const QVariant &keyName);
    void BeforeEdit();
    void OpenDescrizioniInLingua(bool &cancel);
    void CloseDescrizioniInLingua();

protected:
    bool handleKey(QKeyEvent *event) override;
    void addMenuEntries(QMenu *menu) override;

private:
    QToolButton *m_languageButton = nullptr;
    QVariant m_languageRowId;
    int m_languageEntity = 0;
    bool m_managementKey = false;
    bool m_multiLanguage = false;
};

} // namespace host
