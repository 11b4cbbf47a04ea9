<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name></name>
    <message id="Timeout-RS-232...">
        <source>Timeout-RS-232...</source>
        <translation>Zeitüberschreitung RS-232...</translation>
    </message>
    <message id="Verify error: %s is %u in the sensor, %u sent!">
        <source>Verify error: %s is %u in the sensor, %u sent!</source>
        <translation>Prüffehler: %s ist %u im Sensor, %u gesendet!</translation>
    </message>
    <message id="Parameters not read: %s">
        <source>Parameters not read: %s</source>
        <translation>Parameter nicht gelesen: %s</translation>
    </message>
</context>
</TS>
