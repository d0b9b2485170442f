#pragma once

#include <QString>

class QWidget;

// Pieces every sign-in screen shares.
namespace LoginShared {

// The remembered password as User.dat keeps it: fixed letters around the
// password, UTF-8, URL-safe Base64. These letters must never change, or
// remembered passwords of existing installations stop working.
QString encodePassword(const QString &password);
// Reverses encodePassword; an empty or malformed value gives an empty text.
QString decodePassword(const QString &stored);

// Opens the agreement document named by a link of the agreement label
// ("SoftwareLicense", "PrivacyPolicy"); any other link does nothing.
// Returns whether a document was asked to open.
bool openAgreementDocument(const QString &link);
// Local file path for an agreement link, empty for an unknown link.
QString agreementDocumentPath(const QString &link);

// A line under the logo of a sign-in window telling why it is shown.
void showReason(QWidget *window, const QString &why);

} // namespace LoginShared
