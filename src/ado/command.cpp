#include "ado/command.h"

#include "ado/connection.h"
#include "ado/error.h"
#include "ado/recordset.h"
#include "ado/statement.h"
#include "ado/vb.h"

#include <algorithm>
#include <charconv>

namespace ado {

namespace {

const QString CommandSource = QStringLiteral("ado.Command");
const QString ParameterSource = QStringLiteral("ado.Parameter");

QString parameterLabel(const Parameter &p)
{
    return p.Name.isEmpty() ? QStringLiteral("Parameter (without a name)")
                            : QStringLiteral("Parameter \"%1\"").arg(p.Name);
}

bool isTextType(long type)
{
    return type == adWChar || type == adVarWChar;
}

bool isSupportedType(long type)
{
    return isTextType(type) || type == adSmallInt || type == adInteger || type == adDouble
           || type == adNumeric || type == adDecimal;
}

// Runs a VB conversion of a parameter's value; its error names the parameter.
template<typename F>
auto convertFor(const Parameter &p, F &&conversion) -> decltype(conversion())
{
    try {
        return conversion();
    } catch (const RuntimeError &e) {
        throw RuntimeError(e.number(), parameterLabel(p) + QStringLiteral(": ") + e.description(),
                           ParameterSource);
    }
}

// The value of an adNumeric parameter: rounded to NumericScale (half away from zero, as the
// server converts to NUMERIC), its integer digits checked against Precision.
QVariant numericValue(const Parameter &p)
{
    if (p.Precision < 1 || p.Precision > 38 || p.NumericScale < 0 || p.NumericScale > p.Precision)
        raise(adErrInvalidParamInfo,
              QStringLiteral("%1: Precision %2 and NumericScale %3 do not define a number "
                             "(Precision 1 to 38, NumericScale 0 to Precision)")
                  .arg(parameterLabel(p))
                  .arg(p.Precision)
                  .arg(p.NumericScale),
              ParameterSource);
    if (p.Value.typeId() == QMetaType::QString && p.Value.toString().trimmed().isEmpty())
        raise(TypeMismatch, parameterLabel(p) + QStringLiteral(": an empty text is not a number"),
              ParameterSource);
    QString text = convertFor(p, [&] { return NormalizzaNumero(p.Value); });
    const bool negative = text.startsWith(QLatin1Char('-'));
    if (negative)
        text.remove(0, 1);
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    QString digits = point < 0 ? text : text.left(point) + text.mid(point + 1);
    qsizetype intDigits = point < 0 ? text.size() : point;
    const qsizetype kept = intDigits + p.NumericScale;
    if (digits.size() > kept) {
        const bool roundUp = digits[kept] >= QLatin1Char('5');
        digits.truncate(kept);
        if (roundUp) {
            qsizetype k = digits.size() - 1;
            while (k >= 0 && digits[k] == QLatin1Char('9'))
                digits[k--] = QLatin1Char('0');
            if (k >= 0) {
                digits[k] = QChar(digits[k].unicode() + 1);
            } else {
                digits.prepend(QLatin1Char('1'));
                ++intDigits;
            }
        }
    }
    QString intPart = digits.left(intDigits);
    while (intPart.startsWith(QLatin1Char('0')))
        intPart.remove(0, 1);
    if (intPart.size() > p.Precision - p.NumericScale)
        raise(Overflow,
              QStringLiteral("%1: %2 does not fit NUMERIC(%3, %4)")
                  .arg(parameterLabel(p), NormalizzaNumero(p.Value))
                  .arg(p.Precision)
                  .arg(p.NumericScale),
              ParameterSource);
    QString fraction = digits.mid(intDigits);
    const QByteArray number = ((negative ? "-" : "") + (intPart.isEmpty() ? "0" : intPart)
                               + (fraction.isEmpty() ? QString() : "." + fraction))
                                  .toLatin1();
    if (p.NumericScale == 0 && intPart.size() <= 18)
        return QVariant(number.toLongLong());
    double d = 0.0;
    std::from_chars(number.constData(), number.constData() + number.size(), d);
    return QVariant(d);
}

} // namespace

QVariant Parameter::boundValue() const
{
    if (isMissing(Value))
        return Null();
    switch (Type) {
    case adWChar:
    case adVarWChar: {
        if (Size <= 0)
            raise(adErrInvalidParamInfo,
                  parameterLabel(*this) + QStringLiteral(": a text parameter needs a Size"),
                  ParameterSource);
        const QString text = convertFor(*this, [&] { return CStr(Value); });
        if (text.size() > Size)
            raise(adErrInvalidArgument,
                  QStringLiteral("%1: the value \"%2\" has %3 characters, more than the "
                                 "parameter's Size %4")
                      .arg(parameterLabel(*this), text)
                      .arg(text.size())
                      .arg(Size),
                  ParameterSource);
        return QVariant(text);
    }
    case adSmallInt:
        return QVariant(int(convertFor(*this, [&] { return CInt(Value); })));
    case adInteger:
        return QVariant(int(convertFor(*this, [&] { return CLng(Value); })));
    case adDouble:
        return QVariant(convertFor(*this, [&] { return CDbl(Value); }));
    case adNumeric:
    case adDecimal:
        return numericValue(*this);
    default:
        raise(adErrInvalidParamInfo,
              QStringLiteral("%1: type %2 is not supported").arg(parameterLabel(*this)).arg(Type),
              ParameterSource);
    }
}

void Parameters::Append(std::unique_ptr<Parameter> p)
{
    if (!p)
        raise(adErrInvalidArgument, QStringLiteral("Parameters.Append: no parameter given"),
              CommandSource);
    auto improper = [&](const QString &why) {
        raise(adErrInvalidParamInfo,
              QStringLiteral("Parameter object is improperly defined: %1 %2")
                  .arg(parameterLabel(*p), why),
              CommandSource);
    };
    if (p->Direction != adParamInput)
        improper(QStringLiteral("has direction %1; only input parameters (1) are supported")
                     .arg(p->Direction));
    if (!isSupportedType(p->Type))
        improper(QStringLiteral("has type %1; supported are adSmallInt 2, adInteger 3, "
                                "adDouble 5, adDecimal 14, adWChar 130, adNumeric 131, "
                                "adVarWChar 202")
                     .arg(p->Type));
    if (isTextType(p->Type) && p->Size <= 0)
        improper(QStringLiteral("is text of type %1 without a Size").arg(p->Type));
    m_items.push_back(std::move(p));
}

Parameter &Parameters::Item(int index)
{
    if (index < 0 || index >= Count())
        raise(adErrItemNotFound,
              QStringLiteral("Item cannot be found in the collection corresponding to the "
                             "requested name or ordinal: parameter %1 of %2")
                  .arg(index)
                  .arg(Count()),
              CommandSource);
    return *m_items[size_t(index)];
}

Parameter &Parameters::Item(const QString &name)
{
    const auto found = std::find_if(m_items.begin(), m_items.end(), [&](const auto &p) {
        return p->Name.compare(name, Qt::CaseInsensitive) == 0;
    });
    if (found == m_items.end())
        raise(adErrItemNotFound,
              QStringLiteral("Item cannot be found in the collection corresponding to the "
                             "requested name or ordinal: no parameter \"%1\"")
                  .arg(name),
              CommandSource);
    return **found;
}

Command::Command() = default;
Command::~Command() = default;

void Command::setActiveConnection(Connection *c)
{
    m_statement.reset();
    m_connection = c;
}

void Command::setCommandType(long type)
{
    switch (type) {
    case adCmdUnspecified:
    case adCmdText:
    case adCmdTable:
    case adCmdStoredProc:
    case adCmdUnknown:
    case adCmdFile:
    case adCmdTableDirect:
        m_type = type;
        return;
    default:
        raise(adErrInvalidArgument,
              QStringLiteral("CommandType %1 is not a command type (adCmdText 1, adCmdTable 2, "
                             "adCmdStoredProc 4, adCmdUnknown 8, adCmdFile 256, "
                             "adCmdTableDirect 512 or adCmdUnspecified -1)")
                  .arg(type),
              CommandSource);
    }
}

void Command::setCommandText(const QString &text)
{
    m_statement.reset();
    m_text = text;
}

void Command::setPrepared(bool prepared)
{
    if (!prepared)
        m_statement.reset();
    m_prepared = prepared;
}

std::unique_ptr<Parameter> Command::CreateParameter(const QString &name, long type, long direction,
                                                    long size, const QVariant &value) const
{
    auto p = std::make_unique<Parameter>();
    p->Name = name;
    p->Type = type;
    p->Direction = direction;
    p->Size = size;
    p->Value = value;
    return p;
}

std::unique_ptr<Recordset> Command::Execute(QVariant *recordsAffected, long options)
{
    return execute(recordsAffected, nullptr, options);
}

std::unique_ptr<Recordset> Command::Execute(QVariant *recordsAffected,
                                            const QVariantList &parameters, long options)
{
    return execute(recordsAffected, &parameters, options);
}

std::unique_ptr<Recordset> Command::execute(QVariant *recordsAffected, const QVariantList *values,
                                            long options)
{
    requireConnection();
    const bool noRecords = Connection::noRecordsRequested(options, CommandSource);
    m_callValues = values;
    struct Restore
    {
        const QVariantList *&values;
        ~Restore() { values = nullptr; }
    } restore{m_callValues};

    const Connection &connection = *m_connection;
    const long long totalBefore = connection.totalChanges();
    auto changes = [&] {
        return connection.totalChanges() == totalBefore ? 0 : connection.backendChanges();
    };
    if (noRecords) {
        Statement &statement = preparedStatement();
        while (statement.step()) {
        }
        if (recordsAffected)
            *recordsAffected = statement.isReadOnly() ? -1 : changes();
        statement.reset();
        return nullptr;
    }
    auto rs = std::make_unique<Recordset>();
    rs->Open(*this, adOpenForwardOnly, adLockReadOnly, adCmdText);
    if (m_statement)
        m_statement->reset();
    if (recordsAffected)
        *recordsAffected = rs->State() == adStateOpen ? -1 : changes();
    return rs;
}

Statement &Command::preparedStatement()
{
    requireConnection();
    if (m_type != adCmdText && m_type != adCmdUnknown && m_type != adCmdUnspecified)
        raise(adErrInvalidArgument,
              QStringLiteral("CommandType %1 is not supported: only text commands (adCmdText 1, "
                             "adCmdUnknown 8) run")
                  .arg(m_type),
              CommandSource);
    if (m_text.trimmed().isEmpty())
        raise(adErrInvalidArgument,
              QStringLiteral("Command text was not set for the command object"), CommandSource);
    const bool reusable = m_prepared && m_statement
                          && m_statement->session() == m_connection->session();
    if (reusable) {
        m_statement->reset();
        m_statement->clearBindings();
    } else {
        m_statement.reset();
        m_statement = m_connection->prepare(m_text, CommandSource);
    }
    bindParameters(*m_statement);
    return *m_statement;
}

void Command::requireConnection() const
{
    const QString what = QStringLiteral("The connection cannot be used to perform this operation. "
                                        "It is either closed or invalid in this context: ");
    if (!m_connection)
        raise(adErrInvalidConnection, what + QStringLiteral("the command has no ActiveConnection"),
              CommandSource);
    if (m_connection->State() != adStateOpen)
        raise(adErrInvalidConnection, what + QStringLiteral("the command's connection is closed"),
              CommandSource);
}

void Command::bindParameters(Statement &statement)
{
    const int count = m_parameters.Count();
    const int given = m_callValues ? std::max(count, int(m_callValues->size())) : count;
    if (statement.parameterCount() != given)
        raise(adErrInvalidArgument,
              QStringLiteral("The command text has %1 placeholder(s) but %2 parameter value(s) "
                             "are given (%3)")
                  .arg(statement.parameterCount())
                  .arg(given)
                  .arg(m_text.simplified().left(80)),
              CommandSource);
    for (int i = 0; i < given; ++i) {
        const bool overridden = m_callValues && i < m_callValues->size();
        if (i >= count) {
            statement.bind(i + 1, m_callValues->at(i));
        } else if (overridden) {
            Parameter copy = m_parameters.Item(i);
            copy.Value = m_callValues->at(i);
            statement.bind(i + 1, copy.boundValue());
        } else {
            statement.bind(i + 1, m_parameters.Item(i).boundValue());
        }
    }
}

} // namespace ado
