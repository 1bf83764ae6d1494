#include "app/conversion/BatchCommandLine.h"

#include "app/conversion/ConversionEngine.h"

BatchCommandLine BatchCommandLine::parse(const QStringList& arguments, const QString& homeFolder) {
    BatchCommandLine result;
    result.masks = QString::fromLatin1(ConversionEngine::kDefaultMasks);
    result.outputFolder = homeFolder + QStringLiteral("/html");
    bool optionsEnded = false;
    QStringList folders;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (!optionsEnded &&
            (argument == QLatin1String("--masks") || argument == QLatin1String("--out"))) {
            if (i + 1 >= arguments.size()) {
                result.error = QStringLiteral("%1 needs a value").arg(argument);
                return result;
            }
            (argument == QLatin1String("--masks") ? result.masks : result.outputFolder) =
                arguments.at(++i);
        } else if (!optionsEnded && (argument.startsWith(QLatin1String("--masks=")) ||
                                     argument.startsWith(QLatin1String("--out=")))) {
            const qsizetype equals = argument.indexOf(QLatin1Char('='));
            (argument.startsWith(QLatin1String("--masks")) ? result.masks : result.outputFolder) =
                argument.mid(equals + 1);
        } else if (!optionsEnded &&
                   (argument == QLatin1String("-h") || argument == QLatin1String("--help"))) {
            result.help = true;
            return result;
        } else if (!optionsEnded && argument == QLatin1String("--list")) {
            result.listOnly = true;
        } else if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            result.error = QStringLiteral("unknown option %1").arg(argument);
            return result;
        } else {
            folders.append(argument);
        }
    }
    if (folders.size() != 1) {
        result.error = folders.isEmpty() ? QStringLiteral("no folder given")
                                         : QStringLiteral("only one folder may be given");
        return result;
    }
    result.folder = folders.first();
    if (result.outputFolder.isEmpty())
        result.error = QStringLiteral("the output folder must not be empty");
    return result;
}

QString BatchCommandLine::usage() {
    return QStringLiteral("Usage: deckvane-batch [--masks TEXT] [--out DIR] [--list] FOLDER\n"
                          "Converts every presentation under FOLDER that matches one of the\n"
                          "comma-separated masks (default \"*.ppt,*.pps\") to HTML in DIR\n"
                          "(default ~/html). Log lines go to standard output, progress to\n"
                          "standard error. --list prints the files that match and converts\n"
                          "nothing. Exit status: 0 all converted, 1 some failed,\n"
                          "2 bad usage or no LibreOffice.\n");
}
