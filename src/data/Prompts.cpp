#include "Prompts.h"

#include "Prompter.h"

void ShowInfo(const QString &message)
{
    Prompter().MessageBox(MsgIcon::Information, QStringLiteral("信息"),
                          QStringLiteral("\r\n") + message + QStringLiteral("\t"), {QStringLiteral("确定")});
}

bool ConfirmDelete(const QString &what)
{
    const QString subject = what.isEmpty() ? QStringLiteral("当前记录") : what;
    const QString text = QStringLiteral("\r您确定要删除 %1 吗?\t\t").arg(subject);
    return Prompter().MessageBox(MsgIcon::Warning, QStringLiteral("警告"), text,
                                 {QStringLiteral("确定"), QStringLiteral("取消")}) == 0;
}

QByteArray Scramble(const QByteArray &bytes)
{
    static const char key[] = "quorbitale";
    QByteArray out = bytes;
    for (qsizetype i = 0; i < out.size(); ++i) {
        // Position p is 1-based; its key byte is the one at index p mod 10.
        const int k = static_cast<unsigned char>(key[(i + 1) % 10]) % 10;
        out[i] = char(static_cast<unsigned char>(out[i]) ^ k);
    }
    return out;
}
