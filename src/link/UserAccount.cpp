#include "UserAccount.h"

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <vector>
#endif

UserAccount UserAccount::current()
{
    UserAccount user;
#ifdef Q_OS_UNIX
    user.uid = ::getuid();
    if (const passwd *pw = ::getpwuid(user.uid))
        user.name = QString::fromLocal8Bit(pw->pw_name);
    const int count = ::getgroups(0, nullptr);
    std::vector<gid_t> ids(size_t(qMax(count, 0)) + 1);
    const int got = ::getgroups(count, ids.data());
    ids.resize(size_t(qMax(got, 0)));
    ids.push_back(::getgid());
    for (gid_t id : ids)
        if (const group *g = ::getgrgid(id); g && !user.groups.contains(QString::fromLocal8Bit(g->gr_name)))
            user.groups << QString::fromLocal8Bit(g->gr_name);
#endif
    if (user.name.isEmpty())
        user.name = qEnvironmentVariable("USER");
    return user;
}
