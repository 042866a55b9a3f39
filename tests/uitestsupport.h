#pragma once

#include "services.h"

#include <QDialog>
#include <QList>
#include <QUrl>

namespace testsupport {

// Replaces the modal services for one test: boxes, modal dialogs and opened addresses are recorded,
// nothing blocks.
struct ServiceRecorder {
    struct Box {
        solvenna::ui::BoxKind kind;
        QString caption;
        QString text;
    };
    QList<Box> boxes;
    QList<QDialog*> modals;
    QList<QUrl> urls;
    int modalResult = QDialog::Rejected;
    QList<std::pair<QString, QString>> saveQuestions; // caption, proposed path
    QString saveAnswer;                               // the path "typed" in the file dialog
    QString openAnswer;                               // the file "picked" in the open dialog
    QStringList questions;
    bool questionAnswer = false;
    // When set, answers a modal dialog in its place (sets its fields, then returns its result).
    std::function<int(QDialog*)> answerModal;

    ServiceRecorder() {
        auto& s = solvenna::ui::services();
        s.showBox = [this](solvenna::ui::BoxKind kind, const QString& caption, const QString& text) {
            boxes.append({kind, caption, text});
        };
        s.execModal = [this](QDialog* dialog) {
            modals.append(dialog);
            return answerModal ? answerModal(dialog) : modalResult;
        };
        s.openUrl = [this](const QUrl& url) { urls.append(url); };
        s.askSaveFile = [this](const QString& caption, const QString& proposedPath, const QString&) {
            saveQuestions.append({caption, proposedPath});
            return saveAnswer;
        };
        s.askOpenFile = [this](const QString&, const QString&, const QString&) { return openAnswer; };
        s.askYesNo = [this](const QString&, const QString& text) {
            questions.append(text);
            return questionAnswer;
        };
    }
    ~ServiceRecorder() { solvenna::ui::resetServices(); }
    ServiceRecorder(const ServiceRecorder&) = delete;
    ServiceRecorder& operator=(const ServiceRecorder&) = delete;

    QStringList openedTexts() const {
        QStringList all;
        for (const QUrl& u : urls)
            all << u.toString();
        return all;
    }
    QStringList texts() const {
        QStringList all;
        for (const Box& b : boxes)
            all << b.text;
        return all;
    }
};

} // namespace testsupport
