#include "host/code_box.h"

#include "ado/error.h"
#include "host/dialogs.h"

#include <QKeyEvent>
#include <QMenu>
#include <QToolButton>

namespace host {

CodeBox::CodeBox(QWidget *parent) : EditBox(parent)
{
    // The multi-language box's BeforeEdit comes with every BeforeItem, before the window's.
    connect(this, &EditBox::BeforeItem, this, [this] {
        if (m_multiLanguage)
            emit BeforeEdit();
    });
}

CodeBox::~CodeBox() = default;

void CodeBox::setManagementKey(bool on)
{
    m_managementKey = on;
}

void CodeBox::setMultiLanguage(bool on)
{
    m_multiLanguage = on;
    if (on && !m_languageButton) {
        m_languageButton = addSideButton(QStringLiteral("Lingue"),
                                         QStringLiteral("Descrizioni in lingua"));
        connect(m_languageButton, &QToolButton::clicked, this, &CodeBox::openLanguageDescriptions);
    }
    if (m_languageButton)
        m_languageButton->setVisible(on);
}

void CodeBox::pressManagementKey()
{
    if (!m_managementKey || !isEnabled())
        return;
    runControlAction(objectName() + QStringLiteral("_KeyButtonMenuPress"), [this] {
        emit KeyButtonMenuPress(QVariant(QString::fromLatin1(ManagementKeyName)));
    });
}

void CodeBox::openLanguageDescriptions()
{
    if (!m_multiLanguage || !isEnabled())
        return;
    runControlAction(objectName() + QStringLiteral("_OpenDescrizioniInLingua"), [this] {
        bool cancel = false;
        emit OpenDescrizioniInLingua(cancel);
        if (cancel)
            return;
        if (!connection())
            ado::raise(3709,
                       QStringLiteral("Nessuna connessione per le descrizioni in lingua di \"%1\"")
                           .arg(Caption().isEmpty() ? objectName() : Caption()),
                       objectName());
        DialogService::instance().editLanguageDescriptions(*connection(), m_languageEntity,
                                                           m_languageRowId);
        emit CloseDescrizioniInLingua();
    });
}

bool CodeBox::handleKey(QKeyEvent *event)
{
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (event->key() == Qt::Key_F4 && plain && m_managementKey) {
        pressManagementKey();
        return true;
    }
    return EditBox::handleKey(event);
}

void CodeBox::addMenuEntries(QMenu *menu)
{
    if (m_managementKey) {
        QAction *manage = menu->addAction(QStringLiteral("Gestione\tF4"));
        manage->setEnabled(isEnabled());
        connect(manage, &QAction::triggered, this, &CodeBox::pressManagementKey);
    }
    if (m_multiLanguage) {
        QAction *languages = menu->addAction(QStringLiteral("Descrizioni in lingua"));
        languages->setEnabled(isEnabled());
        connect(languages, &QAction::triggered, this, &CodeBox::openLanguageDescriptions);
    }
}

} // namespace host
