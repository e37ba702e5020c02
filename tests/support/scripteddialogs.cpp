#include "scripteddialogs.h"

UserDialogs::Answer ScriptedDialogs::message(QWidget*, const QString& title, const QString& text,
                                             Icon icon, Buttons buttons) {
    messages.append({title, text, icon, buttons});
    if (onMessage)
        onMessage(messages.last());
    return messageAnswers.isEmpty() ? Answer::Ok : messageAnswers.takeFirst();
}

QString ScriptedDialogs::openFileName(QWidget*, const QString& filter,
                                      const QString& initialFolder) {
    fileRequests.append({filter, initialFolder, false});
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

QString ScriptedDialogs::saveFileName(QWidget*, const QString& filter,
                                      const QString& suggestedPath) {
    fileRequests.append({filter, suggestedPath, true});
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

std::optional<UserDialogs::FontChoice> ScriptedDialogs::chooseFont(QWidget*, const QString& title,
                                                                   const FontChoice&) {
    fontTitles.append(title);
    return fontAnswers.isEmpty() ? std::nullopt : fontAnswers.takeFirst();
}
