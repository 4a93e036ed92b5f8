#include "mainwindowfixture.h"

#include "app/aboutbox.h"
#include "archiving/tform3.h"
#include "archiving/tform5.h"
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
    auto form = std::make_unique<TForm1>(TForm1::Options{std::move(arguments), kExecutable});
    form->terminate = [this] { ++terminated; };
    form->trayAvailable = [this] { return tray; };
    return form;
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
    {
        TForm2 editor({form.Table1, form.Table2, form.Table3, form.Table4}, form.texts, true, {},
                      language);
    }
    { TForm3 configurations(form.Table4, form.texts, language); }
    form.Table4.close();
    const EditorTexts editorTexts = kv::editorTexts();
    { TForm4 names(form.Table3, editorTexts, language); }
    { TForm5 restore(form.Table1, language); }
    TAboutBox about(language);
}

}  // namespace kv::test
