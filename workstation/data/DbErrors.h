#pragma once
// What a user is told about a database error: a Chinese sentence that says what happened
// and what to do, with the database's own text kept as the detail for whoever supports them.
#include <QString>

#include <exception>

struct TErrorText {
    QString Text;   // for the user
    QString Detail;   // the error's own words; empty when Text already is them
};

enum class TDbErrorKind {
    Other,   // not one of the common ones: the database's text is shown as it is
    ConnectionLost,   // the attachment is gone; the pool attaches again on the next action
    Shutdown,   // the database is shut for maintenance (a restore, say)
    Locked,   // another workstation holds the record, or changed it meanwhile
    Duplicate,   // a unique key refused the value
    OutOfRange,   // a number too large for its column
    CheckFailed,   // a value the table's rules refuse (a negative count, say)
    InUse,   // a foreign key: other records still refer to this one
    TooLong,   // a text longer than its column
    NotGbk,   // a character the GBK columns cannot hold
};

TDbErrorKind ClassifyError(const std::exception& e);
TErrorText DescribeError(const std::exception& e);
