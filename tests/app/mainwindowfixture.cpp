#include "mainwindowfixture.h"

#include "app/aboutbox.h"
#include "archiving/tform3.h"
#include "archiving/tform5.h"
#include "archiving/tform6.h"
#include "archiving/tform7.h"
#include "editor/tform2.h"
#include "editor/tform4.h"
#include "platform/codepage1251.h"

namespace kv::test {

MainWindowFixture::MainWindowFixture(QDateTime now)
    : clock(std::move(now)),
      previousConfigHome_(qgetenv("XDG_CONFIG_HOME")),
      hadConfigHome_(qEnvironmentVariableIsSet("XDG_CONFIG_HOME")) {
    // The autostart entry of the machine stays out of reach.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
}

MainWindowFixture::~MainWindowFixture() {
    if (hadConfigHome_) {
        qputenv("XDG_CONFIG_HOME", previousConfigHome_);
    } else {
        qunsetenv("XDG_CONFIG_HOME");
    }
}

std::unique_ptr<TForm1> MainWindowFixture::makeForm(QStringList arguments) {
    return std::make_unique<TForm1>(
        tables, TForm1::Options{std::move(arguments), kExecutable, false, [this] { ++terminated; },
                                [this] { return tray; }});
}

QStringList dictionaryKeys(const QByteArray& file) {
    QStringList keys;
    QString section;
    for (const QString& line : cp1251::decode(file).split(QStringLiteral("\r\n"))) {
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            section = line.mid(1, line.size() - 2);
        } else if (const qsizetype eq = line.indexOf(u'='); eq > 0) {
            keys << section + u'/' + line.left(eq);
        }
    }
    return keys;
}

void MainWindowFixture::openEveryWindowOnce(TForm1& form) {
    const LanguageInUse language = form.language();
    { TForm2 editor(tables, form.texts(), true, {}, language); }
    { TForm3 configurations(tables, form.texts(), language); }
    tables.archivers.close();
    const EditorTexts editorTexts = kv::editorTexts();
    { TForm4 names(tables, editorTexts, language); }
    { TForm5 restore(tables, language); }
    { TForm6 history(form.texts(), {}, language); }
    { TForm7 browser({}, {}, {}, language); }
    TAboutBox about(language);
}

}  // namespace kv::test
