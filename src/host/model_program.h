#pragma once
// The model-management program: a window over the posting models (CI04_MODELLI) of cost
// accounting, one model type at a time: list, add, change the description, delete. A module
// launches it through ModelProgram, giving the model and model type it was on.

#include <QDialog>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <vector>

class QComboBox;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace ado {
class Connection;
}

namespace host {

class Cinterface;

struct PostingModel
{
    QString code;
    QString description;
};

// The posting models as stored; every change is written at once.
class PostingModels
{
public:
    static constexpr int CodeLength = 14;
    static constexpr int DescriptionLength = 40;

    explicit PostingModels(ado::Connection &connection) : m_connection(connection) {}

    std::vector<PostingModel> list(int modelType) const;
    // Raises 3001 for an empty or too long code or description, or a code that exists already.
    void add(int modelType, const QString &code, const QString &description);
    // Raises 3021 when the model does not exist.
    void setDescription(int modelType, const QString &code, const QString &description);
    // Raises 3219 naming the reason code when a reason code uses the model.
    void remove(int modelType, const QString &code);
    bool exists(int modelType, const QString &code) const;

private:
    ado::Connection &m_connection;
};

class ModelDialog : public QDialog
{
    Q_OBJECT
public:
    ModelDialog(ado::Connection &connection, int modelType, const QString &model,
                QWidget *parent = nullptr);

    int modelType() const;
    void setModelType(int modelType);
    // The code of the selected row ("" when none).
    QString currentModel() const;
    void selectModel(const QString &code);
    QTableWidget *table() const { return m_table; }
    QLineEdit *codeBox() const { return m_code; }
    QLineEdit *descriptionBox() const { return m_description; }

    // What the buttons do.
    void startNew();
    bool saveCurrent();
    bool deleteCurrent();

private:
    void reload(const QString &select = {});
    void showSelected();
    void reportError(const QString &what, const QString &description);

    PostingModels m_models;
    QComboBox *m_type = nullptr;
    QTableWidget *m_table = nullptr;
    QLineEdit *m_code = nullptr;
    QLineEdit *m_description = nullptr;
    QPushButton *m_delete = nullptr;
    bool m_new = false;
};

// The launcher a module creates to open the program.
class ModelProgram
{
public:
    void setModuleInterface(Cinterface *module) { m_interface = module; }
    Cinterface *moduleInterface() const { return m_interface; }
    // The box the program was opened from, the model it shows and its model type (text).
    void setCallerBox(QWidget *box) { m_callerBox = box; }
    void setModel(const QString &model) { m_model = model; }
    void setModelType(const QVariant &modelType) { m_modelType = modelType; }

    // Opens the program modally on the connection of the module interface; returns when it
    // is closed. Raises 91 without a module interface and 3704 without a connection.
    void run();
    int runs() const { return m_runs; }
    // Detaches the program from the module.
    void detach() { m_interface = nullptr; }

private:
    Cinterface *m_interface = nullptr;
    QPointer<QWidget> m_callerBox;
    QString m_model;
    QVariant m_modelType;
    int m_runs = 0;
};

} // namespace host
