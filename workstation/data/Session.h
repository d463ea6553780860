#pragma once
// The session's records and the queries the login, the main window and the password window
// run on them. Plain functions over the pool: a test calls them without a window.
#include <QString>

class TConPool;

// ---- Permissions ------------------------------------------------------------------
enum class TRight { rtRead = 0, rtAppend = 1, rtAlter = 2, rtDelete = 3 };
constexpr TRight rtRead = TRight::rtRead;
constexpr TRight rtAppend = TRight::rtAppend;
constexpr TRight rtAlter = TRight::rtAlter;
constexpr TRight rtDelete = TRight::rtDelete;
using TRights = unsigned char;   // bit n stands for TRight value n
// A value outside the four kinds (cast from a stored number) stands for no right at all.
constexpr TRights RightBit(TRight r)
{
    return unsigned(r) <= 3u ? TRights(1u << unsigned(r)) : TRights(0);
}
constexpr TRights AllRights = RightBit(rtRead) | RightBit(rtAppend) | RightBit(rtAlter) | RightBit(rtDelete);
inline bool HasRight(TRights s, TRight r)
{
    return RightBit(r) != 0 && (s & RightBit(r)) != 0;
}

struct TRightInfo {
    QString FunctionName;
    TRights Grants = 0;
};

constexpr int RightCount = 15;

struct TUserInfo {
    QString ID;
    QString UserName;
    QString PassWord;   // MD5 digest, 32 lowercase hexadecimal digits
};

struct TTheUnit {
    QString TheUnitName;
    QString PerInChar;
    QString Phone;
    QString Address;
};

// ---- Queries ----------------------------------------------------------------------
// The ID of the employee with this login name and password digest; empty when none matches.
// Both values are bound. departed: whether that employee has left (status 1).
QString FindUser(TConPool& pool, const QString& userName, const QString& digest, bool* departed = nullptr);

// The company data: the first row of TB_THEUNIT, empty texts when the table is empty.
TTheUnit ReadTheUnit(TConPool& pool);
// What the columns of TB_THEUNIT hold, in GBK bytes.
constexpr int TheUnitNameBytes = 64;
constexpr int PerInCharBytes = 16;
constexpr int TheUnitPhoneBytes = 32;
constexpr int TheUnitAddressBytes = 128;
// Stores the company data, all four texts bound, in one statement: the row is updated, or
// created when the table has none. Database errors (a text too long, a character outside
// GBK) are thrown.
void SaveTheUnit(TConPool& pool, const TTheUnit& unit);

// Adds one TB_RIGHT row's grants ("1" grants) to info; a set without read permission is
// emptied, whatever the row says.
void ApplyRightRow(TRightInfo& info, const QString& read, const QString& append, const QString& alter,
                   const QString& del);
// The operator's grants: every entry emptied, then the TB_RIGHT rows of userId applied in
// result order to the entries whose name they carry (letter case ignored).
void ReadRights(TConPool& pool, const QString& userId, TRightInfo (&rights)[RightCount]);

// Stores a new password digest for the employee; false when no employee has that ID.
bool ChangePassword(TConPool& pool, const QString& userId, const QString& digest);

// The stock carry-forward: deletes the lots that hold nothing; the number deleted.
qint64 CarryForwardStock(TConPool& pool);
