#pragma once

#include <QDialog>

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;

// What a folder export or load works on: the table's picture field, the field whose values name
// the files, and the folder. OK only once all three are chosen. The fields are offered by kind
// (PictureColumns); the folder is typed or chosen through Prompts.
class PictureFolderDialog : public QDialog
{
    Q_OBJECT
public:
    enum class Purpose { Export, Load };

    PictureFolderDialog(Purpose purpose, const QString &alias, const QString &table,
        QWidget *parent = nullptr);

    QString pictureField() const;
    QString namingField() const;
    QString folder() const;
    // For a caller (or a test's script) that knows the answers: unknown field names choose
    // nothing.
    void choose(const QString &pictureField, const QString &namingField, const QString &folder);

private:
    void browse();
    void updateOk();

    Purpose m_purpose;
    QComboBox *m_picture;
    QComboBox *m_naming;
    QLineEdit *m_folder;
    QDialogButtonBox *m_buttons;
};
