#include "app/batch/BatchCommandLine.h"

#include "app/conversion/ConversionEngine.h"
#include "platform/LocalPath.h"

#include <algorithm>

QStringList BatchCommandLine::arguments(int argc, char** argv) {
    QStringList result;
    for (int i = 1; i < argc; ++i)
        result.append(LocalPath::fromNative(QByteArray(argv[i])));
    return result;
}

BatchCommandLine BatchCommandLine::parse(const QStringList& arguments, const QString& homeFolder) {
    BatchCommandLine result;
    result.masks = QString::fromLatin1(ConversionEngine::kDefaultMasks);
    result.outputFolder = homeFolder + QStringLiteral("/html");
    bool optionsEnded = false;
    QStringList folders;
    const auto takeValue = [&](const QString& name, const QString& value) {
        if (name == QLatin1String("--masks")) {
            result.masks = value;
        } else if (name == QLatin1String("--out")) {
            result.outputFolder = value;
        } else if (name == QLatin1String("--jobs")) {
            bool ok = false;
            result.jobs = ShardSelector::isNumber(value) ? value.toInt(&ok) : 0;
            if (!ok || result.jobs < 1 || result.jobs > kMaxJobs)
                result.error = QStringLiteral("--jobs wants a number from 1 to %1, not \"%2\"")
                                   .arg(kMaxJobs)
                                   .arg(value);
        } else if (name == QLatin1String("--title")) {
            result.title = value;
        } else if (name == QLatin1String("--claim")) {
            result.claimRun = value;
            if (!DeckClaims::isValidRunName(value))
                result.error =
                    QStringLiteral("--claim wants a name without \"/\", not \"%1\"").arg(value);
        } else {
            ShardSelector::parse(value, &result.shard, &result.error);
        }
    };
    const QStringList valueOptions = {QStringLiteral("--masks"), QStringLiteral("--out"),
                                      QStringLiteral("--jobs"),  QStringLiteral("--shard"),
                                      QStringLiteral("--claim"), QStringLiteral("--title")};
    const QStringList flags = {QStringLiteral("--list"),   QStringLiteral("--update"),
                               QStringLiteral("-u"),       QStringLiteral("--tree"),
                               QStringLiteral("--index"),  QStringLiteral("--follow-links"),
                               QStringLiteral("--attach"), QStringLiteral("--help"),
                               QStringLiteral("-h"),       QStringLiteral("--")};
    for (qsizetype i = 0; i < arguments.size() && result.error.isEmpty(); ++i) {
        const QString& argument = arguments.at(i);
        const QString name = argument.section(QLatin1Char('='), 0, 0);
        if (!optionsEnded && valueOptions.contains(argument)) {
            // "--masks --list DIR" is a value forgotten, not masks "--list".
            if (i + 1 >= arguments.size() || valueOptions.contains(arguments.at(i + 1)) ||
                flags.contains(arguments.at(i + 1))) {
                result.error = QStringLiteral("%1 needs a value").arg(argument);
                return result;
            }
            takeValue(argument, arguments.at(++i));
        } else if (!optionsEnded && argument.contains(QLatin1Char('=')) &&
                   valueOptions.contains(name)) {
            takeValue(name, argument.mid(name.size() + 1));
        } else if (!optionsEnded &&
                   (argument == QLatin1String("-h") || argument == QLatin1String("--help"))) {
            result.help = true;
            return result;
        } else if (!optionsEnded && argument == QLatin1String("--list")) {
            result.listOnly = true;
        } else if (!optionsEnded &&
                   (argument == QLatin1String("--update") || argument == QLatin1String("-u"))) {
            result.update = true;
        } else if (!optionsEnded && argument == QLatin1String("--tree")) {
            result.tree = true;
        } else if (!optionsEnded && argument == QLatin1String("--index")) {
            result.index = true;
        } else if (!optionsEnded && argument == QLatin1String("--follow-links")) {
            result.followLinks = true;
        } else if (!optionsEnded && argument == QLatin1String("--attach")) {
            result.attach = true;
        } else if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            result.error = QStringLiteral("unknown option %1").arg(argument);
            return result;
        } else {
            folders.append(argument);
        }
    }
    if (!result.error.isEmpty())
        return result;
    if (folders.size() != 1) {
        result.error = folders.isEmpty() ? QStringLiteral("no folder given")
                                         : QStringLiteral("only one folder may be given");
        return result;
    }
    result.folder = folders.first();
    if (result.outputFolder.isEmpty())
        result.error = QStringLiteral("the output folder must not be empty");
    else if (!hasMask(result.masks))
        result.error = QStringLiteral("--masks names no mask: \"%1\"").arg(result.masks);
    else if (result.index && result.listOnly)
        result.error = QStringLiteral("--index writes nothing with --list");
    else if (result.title && !result.index)
        result.error = QStringLiteral("--title names the index: give --index too");
    return result;
}

bool BatchCommandLine::hasMask(const QString& masks) {
    const QStringList pieces = ConversionEngine::SplitString(masks, QStringLiteral(","));
    return std::any_of(pieces.begin(), pieces.end(), [](const QString& mask) {
        return !ConversionEngine::trimBlanks(mask).isEmpty();
    });
}

QString BatchCommandLine::usage() {
    return QStringLiteral(
        "Usage: deckvane-batch [OPTIONS] FOLDER\n"
        "Converts every presentation under FOLDER that matches one of the\n"
        "comma-separated masks to HTML. Log lines go to standard output, one per\n"
        "file in walk order; progress goes to standard error.\n"
        "  --masks TEXT  masks (default \"*.ppt,*.pps\")\n"
        "  --out DIR     output folder (default ~/html)\n"
        "  --list        print the files that match, convert nothing\n"
        "  --jobs N      offices converting at once (default: one per core, as many\n"
        "                as the free memory holds)\n"
        "  --shard K/N   convert only shard K of N of the tree (by a stable hash of\n"
        "                each file's path below FOLDER)\n"
        "  --claim RUN   take decks as they go, claiming each in DIR, with every\n"
        "                other run of the same RUN name over FOLDER and DIR\n"
        "  -u, --update  skip decks whose page is whole and made from the deck as it is\n"
        "  --tree        put each page under the deck's folder below FOLDER\n"
        "  --index       write DIR/index.html listing every page in DIR\n"
        "  --title TEXT  the archive's name on DIR/index.html (kept by later runs)\n"
        "  --follow-links  also follow symbolic links that lead out of FOLDER\n"
        "  --attach      convert with the LibreOffice the user runs, when there is one\n"
        "                (with the user's settings), instead of a locked office of its own\n"
        "Exit status: 0 all converted, 1 some failed (or the log could not be written),\n"
        "2 bad usage, an output or claims folder that cannot be made, or no LibreOffice.\n");
}
