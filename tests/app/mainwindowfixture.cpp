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

void MainWindowFixture::openEveryWindowOnce(TForm1& form,
                                            const std::function<void(QWidget&)>& check) {
    const LanguageInUse language = form.language();
    const auto look = [&](QWidget& window) {
        if (check) {
            window.show();
            check(window);
        }
    };
    {
        TForm2 editor(tables, form.texts(), true, {}, language);
        look(editor);
    }
    {
        TForm3 configurations(tables, form.texts(), language);
        look(configurations);
        if (check) {  // and in the edit state
            configurations.show();
            configurations.BitBtn1Click();
            look(configurations);
        }
    }
    tables.archivers.close();
    const EditorTexts editorTexts = kv::editorTexts();
    {
        TForm4 names(tables, editorTexts, language);
        look(names);
    }
    {
        TForm5 restore(tables, language);
        look(restore);
    }
    TAboutBox about(language);
    look(about);
}

}  // namespace kv::test
