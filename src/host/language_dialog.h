#pragma once
// Descriptions of one described row (table CI99_DESLINGUA: provenance, row identifier) in every
// language, and the dialog that edits them. Saving rewrites the rows of the changed languages
// in one transaction: for each, the old row is deleted and, when the text is not empty, the
// new one inserted.

#include <QDialog>
#include <QString>
#include <QVariant>

#include <vector>

class QTableWidget;

namespace ado {
class Connection;
}

namespace host {

struct LanguageText
{
    QString code;   // CI99_CODLINGUA_MG52, "ITA", "ENG", ...
    QString name;   // shown in the list ("Italiano")
    QString text;   // as edited
    QString stored; // as read from the database
    bool changed() const { return text != stored; }
};

class LanguageDescriptions
{
public:
    // Longest description the table takes (CI99_DESCRIZIONE is NVARCHAR(512)).
    static constexpr int MaxLength = 512;

    LanguageDescriptions(ado::Connection &connection, int entity, const QVariant &rowId);

    // Reads the languages and the stored texts; the base language "ITA" comes first.
    void load();
    std::vector<LanguageText> &rows() { return m_rows; }
    const std::vector<LanguageText> &rows() const { return m_rows; }
    void setText(const QString &code, const QString &text); // raises 3265 for an unknown code
    bool hasChanges() const;
    // Writes the changed languages in one transaction (rolled back on an error, which is raised
    // again); afterwards every row counts as stored. Raises 3001 for a text over MaxLength.
    void save();

    // The languages the database knows: those of the languages table (MG52_LINGUE) and those
    // already used in CI99_DESLINGUA; ITA (first) and ENG always.
    static std::vector<std::pair<QString, QString>> languages(ado::Connection &connection);

private:
    ado::Connection &m_connection;
    int m_entity;
    QVariant m_rowId;
    std::vector<LanguageText> m_rows;
};

// A language's name as the dialog shows it ("Italiano" for ITA); the code for unknown ones.
QString languageName(const QString &code);

class LanguageDialog : public QDialog
{
    Q_OBJECT
public:
    LanguageDialog(ado::Connection &connection, int entity, const QVariant &rowId,
                   QWidget *parent = nullptr);

    QTableWidget *table() const { return m_table; }
    LanguageDescriptions &descriptions() { return m_descriptions; }
    // Takes the texts of the list and saves them; false (after telling the user) on an error.
    bool saveEdits();

private:
    LanguageDescriptions m_descriptions;
    QTableWidget *m_table = nullptr;
};

} // namespace host
