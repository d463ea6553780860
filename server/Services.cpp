#include "Services.h"

#include "DbAccount.h"

#include "Gbk.h"

#include <ibase.h>

#include <QDir>

namespace {

QByteArray Local8(const QString& text)
{
    // Paths go to the server in the system's code page, as the rest of the system writes them.
#ifdef _WIN32
    return Gbk::Encode(QDir::toNativeSeparators(text));
#else
    return text.toUtf8();
#endif
}

uint32_t Int32At(const char* p)
{
    return uint32_t(uint8_t(p[0])) | uint32_t(uint8_t(p[1])) << 8 | uint32_t(uint8_t(p[2])) << 16
        | uint32_t(uint8_t(p[3])) << 24;
}

uint16_t Int16At(const char* p)
{
    return uint16_t(uint8_t(p[0]) | uint8_t(p[1]) << 8);
}

bool StatusFailed(const ISC_STATUS* status)
{
    return status[0] == 1 && status[1] != 0;
}

}   // namespace

QString StatusText(const intptr_t* status)
{
    QStringList parts;
    const ISC_STATUS* p = reinterpret_cast<const ISC_STATUS*>(status);
    char buffer[1024];
    while (fb_interpret(buffer, sizeof buffer, &p) > 0)
        parts << QString::fromUtf8(buffer);
    return parts.join(QLatin1Char('\n'));
}

TSpb::TSpb(char action)
{
    FBytes.append(action);
}

TSpb& TSpb::Text(char tag, const QString& value)
{
    const QByteArray bytes = Local8(value);
    FBytes.append(tag);
    FBytes.append(char(bytes.size() & 0xff));
    FBytes.append(char((bytes.size() >> 8) & 0xff));
    FBytes.append(bytes);
    return *this;
}

TSpb& TSpb::Int(char tag, uint32_t value)
{
    FBytes.append(tag);
    for (int i = 0; i < 4; ++i)
        FBytes.append(char((value >> (8 * i)) & 0xff));
    return *this;
}

TSpb& TSpb::Byte(char tag, uint8_t value)
{
    FBytes.append(tag);
    FBytes.append(char(value));
    return *this;
}

TSpb& TSpb::Flag(char tag)
{
    FBytes.append(tag);
    return *this;
}

bool TServiceManager::Check(const intptr_t* status, QString* error)
{
    FLastCodes.clear();
    const ISC_STATUS* s = reinterpret_cast<const ISC_STATUS*>(status);
    if (!StatusFailed(s))
        return true;
    for (const ISC_STATUS* p = s; *p != isc_arg_end;) {
        const ISC_STATUS kind = *p++;
        if (kind == isc_arg_gds)
            FLastCodes.push_back(intptr_t(*p));
        if (kind == isc_arg_cstring)
            ++p;   // a length before the pointer
        ++p;
    }
    if (error)
        *error = StatusText(status);
    return false;
}

bool TServiceManager::Failed(intptr_t code) const
{
    for (intptr_t c : FLastCodes)
        if (c == code)
            return true;
    return false;
}

QString TServiceManager::DefaultName()
{
    return QStringLiteral("localhost:service_mgr");
}

QString TServiceManager::User()
{
    return DbAccount::UserName();
}

QString TServiceManager::Password()
{
    return DbAccount::Password();
}

TServiceManager::~TServiceManager()
{
    Detach();
}

bool TServiceManager::Attach(QString* error, const QString& name)
{
    Detach();
    QByteArray spb;
    spb.append(char(isc_spb_version));
    spb.append(char(isc_spb_current_version));
    for (const auto& [tag, text] : {std::pair<char, QString>{char(isc_spb_user_name), User()},
                                    std::pair<char, QString>{char(isc_spb_password), Password()}}) {
        const QByteArray b = text.toUtf8();
        spb.append(tag);
        spb.append(char(b.size()));
        spb.append(b);
    }
    const QByteArray service = name.toUtf8();
    ISC_STATUS_ARRAY status = {};
    isc_svc_handle handle = 0;
    isc_service_attach(status, 0, service.constData(), &handle, ISC_USHORT(spb.size()), spb.constData());
    if (!Check(status, error))
        return false;
    FHandle = handle;
    return true;
}

void TServiceManager::Detach()
{
    if (!FHandle)
        return;
    ISC_STATUS_ARRAY status = {};
    isc_svc_handle handle = FHandle;
    isc_service_detach(status, &handle);
    FHandle = 0;
}

bool TServiceManager::Start(const TSpb& request, QString* error)
{
    ISC_STATUS_ARRAY status = {};
    isc_svc_handle handle = FHandle;
    isc_service_start(status, &handle, nullptr, ISC_USHORT(request.Bytes().size()), request.Bytes().constData());
    return Check(status, error);
}

bool TServiceManager::Run(const TSpb& request, QString* error)
{
    if (!Start(request, error))
        return false;
    for (;;) {
        QString line;
        switch (ReadLine(5, &line, error)) {
        case TRead::Line:
        case TRead::Waiting: continue;
        case TRead::End: return true;
        case TRead::Failed: return false;
        }
    }
}

TServiceManager::TRead TServiceManager::ReadLine(int timeoutSeconds, QString* line, QString* error)
{
    char send[5];
    send[0] = char(isc_info_svc_timeout);
    for (int i = 0; i < 4; ++i)
        send[1 + i] = char((uint32_t(timeoutSeconds) >> (8 * i)) & 0xff);
    const char request[] = {char(isc_info_svc_line)};
    char result[8192];
    ISC_STATUS_ARRAY status = {};
    isc_svc_handle handle = FHandle;
    isc_service_query(status, &handle, nullptr, sizeof send, send, sizeof request, request, sizeof result, result);
    if (!Check(status, error))
        return TRead::Failed;
    const char* p = result;
    const char* end = result + sizeof result;
    bool timedOut = false;
    QByteArray text;
    bool gotLine = false;
    while (p < end && *p != char(isc_info_end)) {
        const char item = *p++;
        if (item == char(isc_info_svc_line)) {
            if (p + 2 > end)
                break;
            const uint16_t len = Int16At(p);
            p += 2;
            if (p + len > end)
                break;
            text = QByteArray(p, len);
            p += len;
            gotLine = true;
        } else if (item == char(isc_info_svc_timeout) || item == char(isc_info_data_not_ready)) {
            timedOut = true;
        } else if (item == char(isc_info_truncated)) {
            continue;
        } else {
            break;
        }
    }
    if (gotLine && !text.isEmpty()) {
        if (line)
            *line = QString::fromUtf8(text);
        return TRead::Line;
    }
    if (timedOut)
        return TRead::Waiting;
    return TRead::End;
}

bool TServiceManager::AttachedDatabases(QStringList* names, int* attachments, QString* error)
{
    const char request[] = {char(isc_info_svc_svr_db_info)};
    char result[16384];
    ISC_STATUS_ARRAY status = {};
    isc_svc_handle handle = FHandle;
    isc_service_query(status, &handle, nullptr, 0, nullptr, sizeof request, request, sizeof result, result);
    if (!Check(status, error))
        return false;
    names->clear();
    *attachments = 0;
    const char* p = result;
    const char* end = result + sizeof result;
    if (p >= end || *p != char(isc_info_svc_svr_db_info)) {
        if (error)
            *error = QStringLiteral("数据库服务器没有回答连接信息");
        return false;
    }
    ++p;
    while (p < end && *p != char(isc_info_flag_end) && *p != char(isc_info_end)) {
        const char item = *p++;
        if (item == char(isc_spb_num_att) || item == char(isc_spb_num_db)) {
            if (p + 4 > end)
                break;
            if (item == char(isc_spb_num_att))
                *attachments = int(Int32At(p));
            p += 4;
        } else if (item == char(isc_spb_dbname)) {
            if (p + 2 > end)
                break;
            const uint16_t len = Int16At(p);
            p += 2;
            if (p + len > end)
                break;
            names->append(QString::fromUtf8(p, len));
            p += len;
        } else {
            break;
        }
    }
    return true;
}
