// The numbered socket errors: their texts and the errno values that carry the
// same meaning.
#include <cerrno>
#include <string>

#include "base/Translate.h"
#include "net/WSocket.h"

namespace trawlonix {

namespace {

struct ErrorText {
  int code;
  const char* text;
};

constexpr ErrorText kErrorTexts[] = {
    {0, QT_TRANSLATE_NOOP("SocketError", "无错误")},
    {10004, QT_TRANSLATE_NOOP("SocketError", "打断的系统呼叫")},
    {10009, QT_TRANSLATE_NOOP("SocketError", "无效的文件句柄")},
    {10013, QT_TRANSLATE_NOOP("SocketError", "权限被拒绝")},
    {10014, QT_TRANSLATE_NOOP("SocketError", "无效的地址")},
    {10022, QT_TRANSLATE_NOOP("SocketError", "无效的参数")},
    {10024, QT_TRANSLATE_NOOP("SocketError", "打开的文件太多")},
    {10035, QT_TRANSLATE_NOOP("SocketError", "操作将锁定")},
    {10036, QT_TRANSLATE_NOOP("SocketError", "操作正在进行中")},
    {10037, QT_TRANSLATE_NOOP("SocketError", "操作已经在进行中")},
    {10038, QT_TRANSLATE_NOOP("SocketError", "在非套接字上进行套接字操作")},
    {10039, QT_TRANSLATE_NOOP("SocketError", "需要目标地址")},
    {10040, QT_TRANSLATE_NOOP("SocketError", "消息太长")},
    {10041, QT_TRANSLATE_NOOP("SocketError", "套接字的协议类型错误")},
    {10042, QT_TRANSLATE_NOOP("SocketError", "错误的协议选项")},
    {10043, QT_TRANSLATE_NOOP("SocketError", "协议不受支持")},
    {10044, QT_TRANSLATE_NOOP("SocketError", "套接字类型不受支持")},
    {10045, QT_TRANSLATE_NOOP("SocketError", "套接字上不支持该操作")},
    {10046, QT_TRANSLATE_NOOP("SocketError", "协议族不受支持")},
    {10047, QT_TRANSLATE_NOOP("SocketError", "协议族不支持该地址族")},
    {10048, QT_TRANSLATE_NOOP("SocketError", "地址已经在使用中")},
    {10049, QT_TRANSLATE_NOOP("SocketError", "不能分配请求的地址")},
    {10050, QT_TRANSLATE_NOOP("SocketError", "网络已关闭")},
    {10051, QT_TRANSLATE_NOOP("SocketError", "网络不可到达")},
    {10052, QT_TRANSLATE_NOOP("SocketError", "网络在重置时断开了连接")},
    {10053, QT_TRANSLATE_NOOP("SocketError", "连接中断")},
    {10054, QT_TRANSLATE_NOOP("SocketError", "链接被同位体重置")},
    {10055, QT_TRANSLATE_NOOP("SocketError", "没有缓冲空间可用")},
    {10056, QT_TRANSLATE_NOOP("SocketError", "套接字已经连接上")},
    {10057, QT_TRANSLATE_NOOP("SocketError", "套接字没有连接上")},
    {10058, QT_TRANSLATE_NOOP("SocketError", "套接字关闭后不能发送")},
    {10059, QT_TRANSLATE_NOOP("SocketError", "引用太多，不能拼接")},
    {10060, QT_TRANSLATE_NOOP("SocketError", "连接暂停了")},
    {10061, QT_TRANSLATE_NOOP("SocketError", "连接被拒绝")},
    {10062, QT_TRANSLATE_NOOP("SocketError", "符号链接的层次太多")},
    {10063, QT_TRANSLATE_NOOP("SocketError", "文件名太长")},
    {10064, QT_TRANSLATE_NOOP("SocketError", "主机已关机")},
    {10065, QT_TRANSLATE_NOOP("SocketError", "没有路线到主机")},
    {10066, QT_TRANSLATE_NOOP("SocketError", "目录不是空的")},
    {10067, QT_TRANSLATE_NOOP("SocketError", "进程太多")},
    {10068, QT_TRANSLATE_NOOP("SocketError", "用户太多")},
    {10069, QT_TRANSLATE_NOOP("SocketError", "超出磁盘配额")},
    {10070, QT_TRANSLATE_NOOP("SocketError", "失效的 NFS 文件句柄")},
    {10071, QT_TRANSLATE_NOOP("SocketError", "路径中的远程层次太多")},
    {10091, QT_TRANSLATE_NOOP("SocketError", "网络子系统不可用")},
    {10092, QT_TRANSLATE_NOOP("SocketError", "WinSock 版本不受支持")},
    {10093, QT_TRANSLATE_NOOP("SocketError", "WinSock 没有初始化")},
    {11001, QT_TRANSLATE_NOOP("SocketError", "没有找到主机")},
    {11002, QT_TRANSLATE_NOOP("SocketError", "没有找到非权威的主机")},
    {11003, QT_TRANSLATE_NOOP("SocketError", "不可恢复的错误")},
    {11004, QT_TRANSLATE_NOOP("SocketError", "无数据")},
    {12001, QT_TRANSLATE_NOOP("SocketError", "TLS 安全连接失败")},
};

static_assert(sizeof(kErrorTexts) / sizeof(kErrorTexts[0]) == 52);

struct ErrnoMap {
  int err;
  std::uint16_t code;
};

const ErrnoMap kErrnoMap[] = {
    {EINTR, 10004},        {EBADF, 10009},           {EACCES, 10013},
    {EPERM, 10013},        {EFAULT, 10014},          {EINVAL, 10022},
    {EMFILE, 10024},       {ENFILE, 10024},          {EAGAIN, 10035},
    {EINPROGRESS, 10036},  {EALREADY, 10037},        {ENOTSOCK, 10038},
    {EDESTADDRREQ, 10039}, {EMSGSIZE, 10040},        {EPROTOTYPE, 10041},
    {ENOPROTOOPT, 10042},  {EPROTONOSUPPORT, 10043}, {ESOCKTNOSUPPORT, 10044},
    {EOPNOTSUPP, 10045},   {EPFNOSUPPORT, 10046},    {EAFNOSUPPORT, 10047},
    {EADDRINUSE, 10048},   {EADDRNOTAVAIL, 10049},   {ENETDOWN, 10050},
    {ENETUNREACH, 10051},  {ENETRESET, 10052},       {ECONNABORTED, 10053},
    {EPIPE, 10053},        {ECONNRESET, 10054},      {ENOBUFS, 10055},
    {ENOMEM, 10055},       {EISCONN, 10056},         {ENOTCONN, 10057},
    {ESHUTDOWN, 10058},    {ETOOMANYREFS, 10059},    {ETIMEDOUT, 10060},
    {ECONNREFUSED, 10061}, {ELOOP, 10062},           {ENAMETOOLONG, 10063},
    {EHOSTDOWN, 10064},    {EHOSTUNREACH, 10065},    {ENOTEMPTY, 10066},
    {EUSERS, 10068},       {EDQUOT, 10069},          {ESTALE, 10070},
    {EREMOTE, 10071},
};

}  // namespace

std::string WSocketErrorDesc(int code) {
  for (const ErrorText& e : kErrorTexts) {
    if (e.code == code) return TrText("SocketError", e.text);
  }
  return translate("SocketError", "不是 WinSock 错误");
}

std::uint16_t ErrnoToWSocketError(int err) {
  if (err == 0) return 0;
  if (err == EWOULDBLOCK) return 10035;
  for (const ErrnoMap& m : kErrnoMap) {
    if (m.err == err) return m.code;
  }
  // No counterpart: a code above every numbered one, so that it can never be
  // taken for a listed error (10000 + errno would: ENODATA would read as
  // "connection refused") and its text is the default one.
  return static_cast<std::uint16_t>(20000 + (err % 10000));
}

}  // namespace trawlonix
