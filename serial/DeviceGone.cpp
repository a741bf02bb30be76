#include "serial/DeviceGone.h"

bool MeansDeviceGone(QSerialPort::SerialPortError error) {
    return error != QSerialPort::NoError && error != QSerialPort::TimeoutError;
}
