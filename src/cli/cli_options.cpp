#include "cli/cli_options.h"

#include <algorithm>

namespace lenzora::cli {
namespace {

// The parser sees each byte of an argument as one character, so every value comes back
// byte for byte as typed: file names need not be UTF-8, and option texts reach the
// program's number conversions unchanged.
QString carried(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string bytesOf(const QString& carriedText) { return carriedText.toLatin1().toStdString(); }

bool looksLikeOption(const QString& argument) {
    return argument.size() > 1 && argument.startsWith(u'-');
}

// "--pitch", "-o" and "--width=287" name the options "pitch", "o" and "width".
QString optionName(const QString& argument) {
    QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
    return name.left(name.indexOf(u'='));
}

// The arguments the parser reads as options: all but the program's name, up to "--".
QStringList optionPart(const QStringList& arguments) {
    QStringList part = arguments.mid(1);
    return part.mid(0, part.indexOf(QLatin1String("--")));
}

}  // namespace

CommandLine::CommandLine(const CommandDescription& command, const std::vector<std::string>& args)
    : synopsis_(command.synopsis), options_(command.options) {
    // One name after a single dash, as after two: "-o" is the output, and an unknown
    // "-colour" is reported whole rather than letter by letter.
    parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser_.setApplicationDescription(QString::fromUtf8(command.description));
    for (const OptionDescription& option : options_) {
        const QString valueName = option.valueName ? carried(option.valueName) : QString();
        parser_.addOption(QCommandLineOption(optionName(carried(option.name)),
                                             QString::fromUtf8(option.description), valueName));
    }
    parser_.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                         QStringLiteral("Shows this help.")));
    if (command.positionalName) {
        parser_.addPositionalArgument(carried(command.positionalName),
                                      QString::fromUtf8(command.positionalDescription));
    }

    QStringList arguments{QStringLiteral("lenzora-cli")};  // parse() skips the program's name
    for (const std::string& arg : args) arguments.append(carried(arg));
    if (!parser_.parse(arguments)) throw UsageError(problemText(arguments));
    for (const QString& name : parser_.positionalArguments()) positional_.push_back(bytesOf(name));
}

bool CommandLine::helpAsked() const { return parser_.isSet(QStringLiteral("help")); }

std::string CommandLine::helpText() const {
    // The parser's first line names the program through the application object, which the
    // batch tool does not make (the chart makes a GUI one of its own for the fonts): the
    // subcommand's synopsis stands in its place.
    const QString text = parser_.helpText();
    return synopsis_ + "\n" + text.mid(text.indexOf(u'\n')).toStdString();
}

std::optional<std::string> CommandLine::value(std::string_view name) const {
    const QString key = optionName(carried(name));
    if (!parser_.isSet(key)) return std::nullopt;
    return bytesOf(parser_.value(key));
}

bool CommandLine::has(std::string_view name) const {
    return parser_.isSet(optionName(carried(name)));
}

bool CommandLine::takesValue(const QString& name) const {
    return std::any_of(options_.begin(), options_.end(), [&](const OptionDescription& option) {
        return option.valueName && optionName(carried(option.name)) == name;
    });
}

// The parser's own texts name options without their dashes; the tool's quote the argument
// as it was typed, which is what scripts calling the tool match on.
std::string CommandLine::problemText(const QStringList& arguments) const {
    const QStringList options = optionPart(arguments);
    const QStringList unknown = parser_.unknownOptionNames();
    if (!unknown.isEmpty()) {
        for (const QString& argument : options) {
            if (looksLikeOption(argument) && optionName(argument) == unknown.first())
                return "unknown option " + bytesOf(argument);
        }
    }
    // Only the last argument can miss its value: the parser takes the next one, whatever it is.
    if (!options.isEmpty() && looksLikeOption(options.last()) && !options.last().contains(u'=') &&
        takesValue(optionName(options.last()))) {
        return "option " + bytesOf(options.last()) + " needs a value";
    }
    // A switch given a value, "--json=yes".
    for (const QString& argument : options) {
        if (looksLikeOption(argument) && argument.contains(u'=') &&
            !takesValue(optionName(argument)))
            return "unknown option " + bytesOf(argument);
    }
    return parser_.errorText().toStdString();
}

}  // namespace lenzora::cli
