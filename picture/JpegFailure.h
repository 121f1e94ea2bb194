#pragma once

#include <QCoreApplication>
#include <QString>

// Says in words why libjpeg refused a file. Its message code decides the words; libjpeg's own
// text (which quotes marker bytes in hex) goes to the log only.
class JpegFailure
{
    Q_DECLARE_TR_FUNCTIONS(JpegFailure)

public:
    // A clause for a libjpeg message code (J_MESSAGE_CODE): "it is not a JPEG file".
    static QString reason(int messageCode);
};
