#pragma once
// Numeric values of the ADO enumerations the module and the host use.

namespace ado {

enum ObjectState : long { adStateClosed = 0, adStateOpen = 1 };

enum CommandType : long {
    adCmdUnspecified = -1,
    adCmdText = 1,
    adCmdTable = 2,
    adCmdStoredProc = 4,
    adCmdUnknown = 8,
    adCmdFile = 256,
    adCmdTableDirect = 512,
    adAsyncExecute = 0x10, // with adExecuteNoRecords: Execute may return before the statement ran
    adExecuteNoRecords = 0x80,
    adCmdTextNoRecords = 129, // text command whose rows, if any, are thrown away
};

// The short enumerations packed, as ADO lists them.
// clang-format off
enum CursorLocation : long { adUseServer = 2, adUseClient = 3 };
enum CursorType : long { adOpenUnspecified = -1, adOpenForwardOnly = 0, adOpenKeyset = 1,
                         adOpenDynamic = 2, adOpenStatic = 3 };
enum LockType : long { adLockUnspecified = -1, adLockReadOnly = 1, adLockPessimistic = 2,
                       adLockOptimistic = 3, adLockBatchOptimistic = 4 };

enum DataType : long { adSmallInt = 2, adInteger = 3, adDouble = 5, adDate = 7, adBSTR = 8,
                       adDecimal = 14, adChar = 129, adWChar = 130, adNumeric = 131,
                       adVarWChar = 202 };
enum ParameterDirection : long { adParamInput = 1 };

enum EditMode : long { adEditNone = 0, adEditInProgress = 1, adEditAdd = 2, adEditDelete = 4 };
enum AffectEnum : long { adAffectCurrent = 1, adAffectGroup = 2, adAffectAll = 3,
                         adAffectAllChapters = 4 };
enum ResyncEnum : long { adResyncUnderlyingValues = 1, adResyncAllValues = 2 };
enum RecordStatus : long { adRecOK = 0, adRecNew = 0x1, adRecModified = 0x2, adRecDeleted = 0x4,
                           adRecUnmodified = 0x8, adRecConcurrencyViolation = 0x800 };
enum FilterGroup : long { adFilterNone = 0, adFilterPendingRecords = 1,
                          adFilterConflictingRecords = 5 };
// How UpdateBatch locates a row it changes ("Update Criteria").
enum UpdateCriteria : long { adCriteriaKey = 0, adCriteriaAllCols = 1, adCriteriaUpdCols = 2,
                             adCriteriaTimeStamp = 3 };
enum SearchDirection : long { adSearchBackward = -1, adSearchForward = 1 };
enum BookmarkEnum : long { adBookmarkCurrent = 0, adBookmarkFirst = 1, adBookmarkLast = 2 };
enum Position : long { adPosUnknown = -1, adPosBOF = -2, adPosEOF = -3 };
// clang-format on

// Error numbers raised by the layer (classic ADO numbers where ADO has one).
enum AdoError : long {
    adErrInvalidArgument = 3001,       // arguments of the wrong type, out of range or in conflict
    adErrNoCurrentRecord = 3021,       // BOF or EOF is true, or the current record was deleted
    adErrIllegalOperation = 3219,      // operation not allowed in this context
    adErrInTransaction = 3246,         // connection cannot be closed inside a transaction
    adErrItemNotFound = 3265,          // item cannot be found in the collection
    adErrObjectClosed = 3704,          // operation not allowed when the object is closed
    adErrObjectOpen = 3705,            // operation not allowed when the object is open
    adErrInvalidParamInfo = 3708,      // a parameter is improperly defined
    adErrInvalidConnection = 3709,     // the connection cannot be used for this operation
    adErrProviderFailed = -2147467259, // 0x80004005: the database refused the operation
    adErrSqlError = -2147217900,       // 0x80040E14: the statement failed (text in description)
    adErrRowNotFound = -2147217864,    // 0x80040E38: row cannot be located for updating
    adErrUnsupportedSql = -2147217887, // 0x80040E21: a construct the rewriter does not know
    adErrTypeMismatch = -2147352571,   // 0x80020005: a value the field's type cannot take
    adErrDataOverflow = -2147352566,   // 0x8002000A: a value too large for the field's type
};

} // namespace ado
