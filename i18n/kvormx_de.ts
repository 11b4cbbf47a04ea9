<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name></name>
    <message id="Verify error: %s is %u in the sensor, %u sent!">
        <source>Verify error: %s is %u in the sensor, %u sent!</source>
        <translation>Prüffehler: %s ist %u im Sensor, %u gesendet!</translation>
    </message>
    <message id="Parameters not read: %s">
        <source>Parameters not read: %s</source>
        <translation>Parameter nicht gelesen: %s</translation>
    </message>
    <message id="K-VOR-MX panels">
        <source>K-VOR-MX panels</source>
        <translation>K-VOR-MX-Bedienfelder</translation>
    </message>
    <message id="K-VOR-MX-Zidad Version 1.5">
        <source>K-VOR-MX-Zidad Version 1.5</source>
        <translation>K-VOR-MX-Zidad Version 1.5</translation>
    </message>
    <message id="Logo strip">
        <source>Logo strip</source>
        <translation>Logoleiste</translation>
    </message>
    <message id="Brand logo">
        <source>Brand logo</source>
        <translation>Herstellerlogo</translation>
    </message>
    <message id="Port">
        <source>Port</source>
        <translation>Port</translation>
    </message>
    <message id="Serial port">
        <source>Serial port</source>
        <translation>Serielle Schnittstelle</translation>
    </message>
    <message id="COM1">
        <source>COM1</source>
        <translation>COM1</translation>
    </message>
    <message id="COM2">
        <source>COM2</source>
        <translation>COM2</translation>
    </message>
    <message id="COM3">
        <source>COM3</source>
        <translation>COM3</translation>
    </message>
    <message id="COM4">
        <source>COM4</source>
        <translation>COM4</translation>
    </message>
    <message id="COM5">
        <source>COM5</source>
        <translation>COM5</translation>
    </message>
    <message id="COM6">
        <source>COM6</source>
        <translation>COM6</translation>
    </message>
    <message id="COM7">
        <source>COM7</source>
        <translation>COM7</translation>
    </message>
    <message id="COM8">
        <source>COM8</source>
        <translation>COM8</translation>
    </message>
    <message id="InitVars">
        <source>InitVars</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="Status">
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message id="Video signal">
        <source>Video signal</source>
        <translation>Videosignal</translation>
    </message>
    <message id="Replies before the newest">
        <source>Replies before the newest</source>
        <translation>Antworten vor der neuesten</translation>
    </message>
    <message id="Measured value chart">
        <source>Measured value chart</source>
        <translation>Messwertdiagramm</translation>
    </message>
    <message id="Line bar graph">
        <source>Line bar graph</source>
        <translation>Balkengrafik der Zeile</translation>
    </message>
    <message id="Measurement">
        <source>Measurement</source>
        <translation>Messung</translation>
    </message>
    <message id="Measured value">
        <source>Measured value</source>
        <translation>Messwert</translation>
    </message>
    <message id="Left edge">
        <source>Left edge</source>
        <translation>Linke Kante</translation>
    </message>
    <message id="Left edge shown">
        <source>Left edge shown</source>
        <translation>Angezeigte linke Kante</translation>
    </message>
    <message id="Right edge">
        <source>Right edge</source>
        <translation>Rechte Kante</translation>
    </message>
    <message id="Right edge shown">
        <source>Right edge shown</source>
        <translation>Angezeigte rechte Kante</translation>
    </message>
    <message id="Teach value">
        <source>Teach value</source>
        <translation>Teachwert</translation>
    </message>
    <message id="Teach value shown">
        <source>Teach value shown</source>
        <translation>Angezeigter Teachwert</translation>
    </message>
    <message id="Tolerance">
        <source>Tolerance</source>
        <translation>Toleranz</translation>
    </message>
    <message id="Tolerance shown">
        <source>Tolerance shown</source>
        <translation>Angezeigte Toleranz</translation>
    </message>
    <message id="Maximum">
        <source>Maximum</source>
        <translation>Maximum</translation>
    </message>
    <message id="Maximum shown">
        <source>Maximum shown</source>
        <translation>Angezeigtes Maximum</translation>
    </message>
    <message id="Minimum">
        <source>Minimum</source>
        <translation>Minimum</translation>
    </message>
    <message id="Minimum shown">
        <source>Minimum shown</source>
        <translation>Angezeigtes Minimum</translation>
    </message>
    <message id="Zoom chart around teach value">
        <source>Zoom chart around teach value</source>
        <translation>Zoom um den Teachwert</translation>
    </message>
    <message id="Value">
        <source>Value</source>
        <translation>Wert</translation>
    </message>
    <message id="Measured value, large">
        <source>Measured value, large</source>
        <translation>Messwert, groß</translation>
    </message>
    <message id="Parameters">
        <source>Parameters</source>
        <translation>Parameter</translation>
    </message>
    <message id="Threshold">
        <source>Threshold</source>
        <translation>Schwelle</translation>
    </message>
    <message id="Video threshold">
        <source>Video threshold</source>
        <translation>Videoschwelle</translation>
    </message>
    <message id="Edge mode">
        <source>Edge mode</source>
        <translation>Kantenmodus</translation>
    </message>
    <message id="0: left edge">
        <source>0: left edge</source>
        <translation>0: linke Kante</translation>
    </message>
    <message id="1: right edge">
        <source>1: right edge</source>
        <translation>1: rechte Kante</translation>
    </message>
    <message id="2: edge pair">
        <source>2: edge pair</source>
        <translation>2: Kantenpaar</translation>
    </message>
    <message id="3: centre">
        <source>3: centre</source>
        <translation>3: Mitte</translation>
    </message>
    <message id="4: centre">
        <source>4: centre</source>
        <translation>4: Mitte</translation>
    </message>
    <message id="Dark object">
        <source>Dark object</source>
        <translation>Dunkles Objekt</translation>
    </message>
    <message id="Polarity">
        <source>Polarity</source>
        <translation>Polarität</translation>
    </message>
    <message id="Power">
        <source>Power</source>
        <translation>Leistung</translation>
    </message>
    <message id="RS-232 output mode">
        <source>RS-232 output mode</source>
        <translation>RS-232-Ausgabemodus</translation>
    </message>
    <message id="Window left edge">
        <source>Window left edge</source>
        <translation>Fenster linker Rand</translation>
    </message>
    <message id="Window right edge">
        <source>Window right edge</source>
        <translation>Fenster rechter Rand</translation>
    </message>
    <message id="Transfer">
        <source>Transfer</source>
        <translation>Übertragung</translation>
    </message>
    <message id="Sensor RAM">
        <source>Sensor RAM</source>
        <translation>Sensor-RAM</translation>
    </message>
    <message id="Target sensor RAM">
        <source>Target sensor RAM</source>
        <translation>Ziel Sensor-RAM</translation>
    </message>
    <message id="Sensor EEPROM">
        <source>Sensor EEPROM</source>
        <translation>Sensor-EEPROM</translation>
    </message>
    <message id="Target sensor EEPROM">
        <source>Target sensor EEPROM</source>
        <translation>Ziel Sensor-EEPROM</translation>
    </message>
    <message id="Parameter file">
        <source>Parameter file</source>
        <translation>Parameterdatei</translation>
    </message>
    <message id="Target parameter file">
        <source>Target parameter file</source>
        <translation>Ziel Parameterdatei</translation>
    </message>
    <message id="Send">
        <source>Send</source>
        <translation>Senden</translation>
    </message>
    <message id="Get">
        <source>Get</source>
        <translation>Holen</translation>
    </message>
    <message id="Operation">
        <source>Operation</source>
        <translation>Betrieb</translation>
    </message>
    <message id="Run">
        <source>Run</source>
        <translation>Messen</translation>
    </message>
    <message id="Video">
        <source>Video</source>
        <translation>Video</translation>
    </message>
    <message id="Stop">
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message id="Teach">
        <source>Teach</source>
        <translation>Teachen</translation>
    </message>
    <message id="Reset Max/Min">
        <source>Reset Max/Min</source>
        <translation>Max/Min-Reset</translation>
    </message>
    <message id="Reset maximum and minimum">
        <source>Reset maximum and minimum</source>
        <translation>Maximum und Minimum zurücksetzen</translation>
    </message>
    <message id="More parameters">
        <source>More parameters</source>
        <translation>Weitere Parameter</translation>
    </message>
    <message id="Record">
        <source>Record</source>
        <translation>Aufnahme</translation>
    </message>
    <message id="Record every measurement to a CSV file (Ctrl+Shift+R)">
        <source>Record every measurement to a CSV file (Ctrl+Shift+R)</source>
        <translation>Jede Messung in eine CSV-Datei aufzeichnen (Strg+Umschalt+R)</translation>
    </message>
    <message id="Record measurements">
        <source>Record measurements</source>
        <translation>Messungen aufzeichnen</translation>
    </message>
    <message id="K-VOR-MX further parameters">
        <source>K-VOR-MX further parameters</source>
        <translation>K-VOR-MX weitere Parameter</translation>
    </message>
    <message id="Sensor information">
        <source>Sensor information</source>
        <translation>Sensorinformation</translation>
    </message>
    <message id="CCD mode">
        <source>CCD mode</source>
        <translation>CCD-Modus</translation>
    </message>
    <message id="0: whole line">
        <source>0: whole line</source>
        <translation>0: ganze Zeile</translation>
    </message>
    <message id="1: 256-pixel window">
        <source>1: 256-pixel window</source>
        <translation>1: Fenster mit 256 Pixeln</translation>
    </message>
    <message id="Pixel start">
        <source>Pixel start</source>
        <translation>Startpixel</translation>
    </message>
    <message id="End">
        <source>End</source>
        <translation>Ende</translation>
    </message>
    <message id="Pixel end">
        <source>Pixel end</source>
        <translation>Endpixel</translation>
    </message>
    <message id="Analog mode">
        <source>Analog mode</source>
        <translation>Analogmodus</translation>
    </message>
    <message id="Analog output mode">
        <source>Analog output mode</source>
        <translation>Analogausgabemodus</translation>
    </message>
    <message id="0: measured value">
        <source>0: measured value</source>
        <translation>0: Messwert</translation>
    </message>
    <message id="1: maximum">
        <source>1: maximum</source>
        <translation>1: Maximum</translation>
    </message>
    <message id="2: minimum">
        <source>2: minimum</source>
        <translation>2: Minimum</translation>
    </message>
    <message id="3: maximum">
        <source>3: maximum</source>
        <translation>3: Maximum</translation>
    </message>
    <message id="4: minimum">
        <source>4: minimum</source>
        <translation>4: Minimum</translation>
    </message>
    <message id="B value">
        <source>B value</source>
        <translation>B-Wert</translation>
    </message>
    <message id="High video gain">
        <source>High video gain</source>
        <translation>Hohe Videoverstärkung</translation>
    </message>
    <message id="Video gain">
        <source>Video gain</source>
        <translation>Videoverstärkung</translation>
    </message>
    <message id="Tolerance from potentiometer">
        <source>Tolerance from potentiometer</source>
        <translation>Toleranz vom Potentiometer</translation>
    </message>
    <message id="Tolerance is set on the sensor">
        <source>Tolerance is set on the sensor</source>
        <translation>Die Toleranz wird am Sensor eingestellt</translation>
    </message>
    <message id="Potentiometer tolerance note">
        <source>Potentiometer tolerance note</source>
        <translation>Hinweis zur Potentiometer-Toleranz</translation>
    </message>
    <message id="Frame trace">
        <source>Frame trace</source>
        <translation>Rahmenprotokoll</translation>
    </message>
    <message id="Write every frame on the line to a trace file">
        <source>Write every frame on the line to a trace file</source>
        <translation>Jeden Rahmen auf der Leitung in eine Protokolldatei schreiben</translation>
    </message>
    <message id="MQTT broker">
        <source>MQTT broker</source>
        <translation>MQTT-Broker</translation>
    </message>
    <message id="mqtt://host:1883/kvormx">
        <source>mqtt://host:1883/kvormx</source>
        <translation>mqtt://host:1883/kvormx</translation>
    </message>
    <message id="mqtt://HOST[:PORT]/PREFIX, or mqtts:// for an encrypted connection">
        <source>mqtt://HOST[:PORT]/PREFIX, or mqtts:// for an encrypted connection</source>
        <translation>mqtt://HOST[:PORT]/PRÄFIX, oder mqtts:// für eine verschlüsselte Verbindung</translation>
    </message>
    <message id="MQTT broker URL">
        <source>MQTT broker URL</source>
        <translation>URL des MQTT-Brokers</translation>
    </message>
    <message id="Credentials file">
        <source>Credentials file</source>
        <translation>Zugangsdatei</translation>
    </message>
    <message id="none">
        <source>none</source>
        <translation>keine</translation>
    </message>
    <message id="File with the user name on its first line and the password on its second">
        <source>File with the user name on its first line and the password on its second</source>
        <translation>Datei mit dem Benutzernamen in der ersten und dem Passwort in der zweiten Zeile</translation>
    </message>
    <message id="MQTT credentials file">
        <source>MQTT credentials file</source>
        <translation>MQTT-Zugangsdatei</translation>
    </message>
    <message id="Choose ...">
        <source>Choose ...</source>
        <translation>Auswählen ...</translation>
    </message>
    <message id="Choose the broker's credentials file">
        <source>Choose the broker's credentials file</source>
        <translation>Die Zugangsdatei des Brokers auswählen</translation>
    </message>
    <message id="Choose the MQTT credentials file">
        <source>Choose the MQTT credentials file</source>
        <translation>Die MQTT-Zugangsdatei auswählen</translation>
    </message>
    <message id="Publish">
        <source>Publish</source>
        <translation>Veröffentlichen</translation>
    </message>
    <message id="Publish identity, parameters, measurements and status to the broker">
        <source>Publish identity, parameters, measurements and status to the broker</source>
        <translation>Identität, Parameter, Messungen und Status an den Broker senden</translation>
    </message>
    <message id="Publish to the MQTT broker">
        <source>Publish to the MQTT broker</source>
        <translation>An den MQTT-Broker senden</translation>
    </message>
    <message id="Example Sensors GmbH">
        <source>Example Sensors GmbH</source>
        <translation>Example Sensors GmbH</translation>
    </message>
    <message id="Tel. +49 (0) 000 / 000 00-0">
        <source>Tel. +49 (0) 000 / 000 00-0</source>
        <translation>Tel. +49 (0) 000 / 000 00-0</translation>
    </message>
    <message id="Example Line Sensors Ltd.">
        <source>Example Line Sensors Ltd.</source>
        <translation>Example Line Sensors Ltd.</translation>
    </message>
    <message id="Phone +44 (0) 0000 000000">
        <source>Phone +44 (0) 0000 000000</source>
        <translation>Tel. +44 (0) 0000 000000</translation>
    </message>
    <message id="Example Optics S.A.">
        <source>Example Optics S.A.</source>
        <translation>Example Optics S.A.</translation>
    </message>
    <message id="Tel. +33 (0)0 00 00 00 00">
        <source>Tel. +33 (0)0 00 00 00 00</source>
        <translation>Tel. +33 (0)0 00 00 00 00</translation>
    </message>
    <message id="kvormx: --trace wants a file name&#xa;">
        <source>kvormx: --trace wants a file name
</source>
        <translation>kvormx: --trace verlangt einen Dateinamen
</translation>
    </message>
    <message id="kvormx: --mqtt wants a URL&#xa;">
        <source>kvormx: --mqtt wants a URL
</source>
        <translation>kvormx: --mqtt verlangt eine URL
</translation>
    </message>
    <message id="kvormx: --mqtt-auth wants a file&#xa;">
        <source>kvormx: --mqtt-auth wants a file
</source>
        <translation>kvormx: --mqtt-auth verlangt eine Datei
</translation>
    </message>
    <message id="kvormx: --mqtt-client-id wants a name of 1 to %d bytes&#xa;">
        <source>kvormx: --mqtt-client-id wants a name of 1 to %d bytes
</source>
        <translation>kvormx: --mqtt-client-id verlangt einen Namen von 1 bis %d Bytes
</translation>
    </message>
    <message id="kvormx: --every wants a whole number of at least 1, not '%s'&#xa;">
        <source>kvormx: --every wants a whole number of at least 1, not '%s'
</source>
        <translation>kvormx: --every verlangt eine ganze Zahl ab 1, nicht '%s'
</translation>
    </message>
    <message id="kvormx: --interval wants a time in seconds above 0, not '%s'&#xa;">
        <source>kvormx: --interval wants a time in seconds above 0, not '%s'
</source>
        <translation>kvormx: --interval verlangt eine Zeit in Sekunden über 0, nicht '%s'
</translation>
    </message>
    <message id="kvormx: --language wants en or de, not '%s'&#xa;">
        <source>kvormx: --language wants en or de, not '%s'
</source>
        <translation>kvormx: --language verlangt en oder de, nicht '%s'
</translation>
    </message>
    <message id="kvormx: --by-id-dir wants a folder&#xa;">
        <source>kvormx: --by-id-dir wants a folder
</source>
        <translation>kvormx: --by-id-dir verlangt einen Ordner
</translation>
    </message>
    <message id="kvormx: --settings wants a file&#xa;">
        <source>kvormx: --settings wants a file
</source>
        <translation>kvormx: --settings verlangt eine Datei
</translation>
    </message>
    <message id="kvormx: --settings: %s is not a regular file&#xa;">
        <source>kvormx: --settings: %s is not a regular file
</source>
        <translation>kvormx: --settings: %s ist keine gewöhnliche Datei
</translation>
    </message>
    <message id="kvormx: --com names COM %d twice&#xa;">
        <source>kvormx: --com names COM %d twice
</source>
        <translation>kvormx: --com nennt COM %d zweimal
</translation>
    </message>
    <message id="kvormx: --com wants N=DEVICE with N from 1 to %d, got '%s'&#xa;">
        <source>kvormx: --com wants N=DEVICE with N from 1 to %d, got '%s'
</source>
        <translation>kvormx: --com verlangt N=GERÄT mit N von 1 bis %d, erhalten '%s'
</translation>
    </message>
    <message id="kvormx: unknown option '%s' (see kvormx --help)&#xa;">
        <source>kvormx: unknown option '%s' (see kvormx --help)
</source>
        <translation>kvormx: unbekannte Option '%s' (siehe kvormx --help)
</translation>
    </message>
    <message id="kvormx: %s needs --mqtt URL&#xa;">
        <source>kvormx: %s needs --mqtt URL
</source>
        <translation>kvormx: %s braucht --mqtt URL
</translation>
    </message>
    <message id="kvormx: the virtual sensor could not be started (no pseudo-terminal)&#xa;">
        <source>kvormx: the virtual sensor could not be started (no pseudo-terminal)
</source>
        <translation>kvormx: der virtuelle Sensor konnte nicht gestartet werden (kein Pseudo-Terminal)
</translation>
    </message>
    <message id="kvormx: %s&#xa;">
        <source>kvormx: %s
</source>
        <translation>kvormx: %s
</translation>
    </message>
    <message id="kvormx: cannot start the user interface: %s&#xa;">
        <source>kvormx: cannot start the user interface: %s
</source>
        <translation>kvormx: die Bedienoberfläche kann nicht starten: %s
</translation>
    </message>
    <message id="kvormx: cannot load the panels: %s&#xa;">
        <source>kvormx: cannot load the panels: %s
</source>
        <translation>kvormx: die Bedienfelder können nicht geladen werden: %s
</translation>
    </message>
    <message id="kvormx: cannot write the trace: %s&#xa;">
        <source>kvormx: cannot write the trace: %s
</source>
        <translation>kvormx: das Protokoll kann nicht geschrieben werden: %s
</translation>
    </message>
    <message id="kvormx: ready&#xa;">
        <source>kvormx: ready
</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="  (not present)">
        <source>  (not present)</source>
        <translation>  (nicht vorhanden)</translation>
    </message>
    <message id="Port %s: %s - Init COM-Port ...">
        <source>Port %s: %s - Init COM-Port ...</source>
        <translation>Schnittstelle %s: %s - COM-Port wird eingerichtet ...</translation>
    </message>
    <message id="Cannot publish: enter the broker as mqtt://HOST[:PORT]/PREFIX">
        <source>Cannot publish: enter the broker as mqtt://HOST[:PORT]/PREFIX</source>
        <translation>Senden nicht möglich: den Broker als mqtt://HOST[:PORT]/PRÄFIX eingeben</translation>
    </message>
    <message id="Cannot publish: %s">
        <source>Cannot publish: %s</source>
        <translation>Senden nicht möglich: %s</translation>
    </message>
    <message id="MQTT broker credentials">
        <source>MQTT broker credentials</source>
        <translation>Zugangsdaten des MQTT-Brokers</translation>
    </message>
    <message id="Recording stopped: %s">
        <source>Recording stopped: %s</source>
        <translation>Aufzeichnung angehalten: %s</translation>
    </message>
    <message id="Recording ended with rows lost: %s">
        <source>Recording ended with rows lost: %s</source>
        <translation>Aufzeichnung mit verlorenen Zeilen beendet: %s</translation>
    </message>
    <message id="Recording ended: %s, %ld rows">
        <source>Recording ended: %s, %ld rows</source>
        <translation>Aufzeichnung beendet: %s, %ld Zeilen</translation>
    </message>
    <message id="Record measurements to">
        <source>Record measurements to</source>
        <translation>Messungen aufzeichnen in</translation>
    </message>
    <message id="Cannot record: %s">
        <source>Cannot record: %s</source>
        <translation>Aufzeichnung nicht möglich: %s</translation>
    </message>
    <message id="Recording to %s">
        <source>Recording to %s</source>
        <translation>Aufzeichnung in %s</translation>
    </message>
    <message id="Trace stopped: %s">
        <source>Trace stopped: %s</source>
        <translation>Protokoll angehalten: %s</translation>
    </message>
    <message id="Cannot trace: %s">
        <source>Cannot trace: %s</source>
        <translation>Protokoll nicht möglich: %s</translation>
    </message>
    <message id="Trace ended with lines lost: %s">
        <source>Trace ended with lines lost: %s</source>
        <translation>Protokoll mit verlorenen Zeilen beendet: %s</translation>
    </message>
    <message id="Write the frame trace to">
        <source>Write the frame trace to</source>
        <translation>Rahmenprotokoll schreiben in</translation>
    </message>
    <message id="Tracing the line to %s">
        <source>Tracing the line to %s</source>
        <translation>Protokoll der Leitung in %s</translation>
    </message>
    <message id="Export failed: %s">
        <source>Export failed: %s</source>
        <translation>Export fehlgeschlagen: %s</translation>
    </message>
    <message id="Picture copied to the clipboard">
        <source>Picture copied to the clipboard</source>
        <translation>Bild in die Zwischenablage kopiert</translation>
    </message>
    <message id="Waiting for firmware info ...">
        <source>Waiting for firmware info ...</source>
        <translation>Warte auf Firmware-Info ...</translation>
    </message>
    <message id="Error reading HARDWARE-info!">
        <source>Error reading HARDWARE-info!</source>
        <translation>Fehler beim Lesen der HARDWARE-Info!</translation>
    </message>
    <message id="Error reading firmware-info!">
        <source>Error reading firmware-info!</source>
        <translation>Fehler beim Lesen der Firmware-Info!</translation>
    </message>
    <message id="Init COM-Port ...">
        <source>Init COM-Port ...</source>
        <translation>COM-Port wird eingerichtet ...</translation>
    </message>
    <message id="unexpected argument '%s'">
        <source>unexpected argument '%s'</source>
        <translation>unerwartetes Argument '%s'</translation>
    </message>
    <message id="the virtual sensor (%s)">
        <source>the virtual sensor (%s)</source>
        <translation>der virtuelle Sensor (%s)</translation>
    </message>
    <message id="COM%d (%s)">
        <source>COM%d (%s)</source>
        <translation>COM%d (%s)</translation>
    </message>
    <message id="cannot write the trace: %s">
        <source>cannot write the trace: %s</source>
        <translation>das Protokoll kann nicht geschrieben werden: %s</translation>
    </message>
    <message id="--port: '%s' is no COM number from 1 to %d">
        <source>--port: '%s' is no COM number from 1 to %d</source>
        <translation>--port: '%s' ist keine COM-Nummer von 1 bis %d</translation>
    </message>
    <message id="the virtual sensor could not be started: no pseudo-terminal">
        <source>the virtual sensor could not be started: no pseudo-terminal</source>
        <translation>der virtuelle Sensor konnte nicht gestartet werden: kein Pseudo-Terminal</translation>
    </message>
    <message id="cannot open %s: %s - %s">
        <source>cannot open %s: %s - %s</source>
        <translation>%s kann nicht geöffnet werden: %s - %s</translation>
    </message>
    <message id="cannot open %s: %s">
        <source>cannot open %s: %s</source>
        <translation>%s kann nicht geöffnet werden: %s</translation>
    </message>
    <message id="%s: line check (echo frame): the echo carries the sync word 0x%04X, not 0x00AA">
        <source>%s: line check (echo frame): the echo carries the sync word 0x%04X, not 0x00AA</source>
        <translation>%s: Leitungsprüfung (Echorahmen): das Echo trägt das Sync-Wort 0x%04X, nicht 0x00AA</translation>
    </message>
    <message id="line check (echo frame)">
        <source>line check (echo frame)</source>
        <translation>Leitungsprüfung (Echorahmen)</translation>
    </message>
    <message id="parameter read from RAM">
        <source>parameter read from RAM</source>
        <translation>Parameter aus dem RAM lesen</translation>
    </message>
    <message id="%s: hardware identification: the reply carries the command word %u, not %d">
        <source>%s: hardware identification: the reply carries the command word %u, not %d</source>
        <translation>%s: Hardwarekennung: die Antwort trägt das Befehlswort %u, nicht %d</translation>
    </message>
    <message id="hardware identification">
        <source>hardware identification</source>
        <translation>Hardwarekennung</translation>
    </message>
    <message id="firmware text">
        <source>firmware text</source>
        <translation>Firmwaretext</translation>
    </message>
    <message id="Exit status:&#xa;  0  done&#xa;  1  the sensor did not answer or refused; the message names the exchange&#xa;  2  usage error: wrong options or arguments, or a file named on the command line&#xa;     (or standard output) that cannot be read or written&#xa;  3  the port could not be opened; the message gives the cause&#xa;">
        <source>Exit status:
  0  done
  1  the sensor did not answer or refused; the message names the exchange
  2  usage error: wrong options or arguments, or a file named on the command line
     (or standard output) that cannot be read or written
  3  the port could not be opened; the message gives the cause
</source>
        <translation>Rückgabewert:
  0  erledigt
  1  der Sensor antwortete nicht oder lehnte ab; die Meldung nennt den Austausch
  2  Aufruffehler: falsche Optionen oder Argumente, oder eine auf der Befehlszeile
     genannte Datei (oder die Standardausgabe), die nicht gelesen oder geschrieben
     werden kann
  3  die Schnittstelle konnte nicht geöffnet werden; die Meldung nennt die Ursache
</translation>
    </message>
    <message id="list the serial ports present">
        <source>list the serial ports present</source>
        <translation>die vorhandenen seriellen Schnittstellen auflisten</translation>
    </message>
    <message id="Lists the serial ports as kvormx finds them, one a line: the COM number, the&#xa;device and what it is (&quot;COM1  /dev/ttyS0  on-board serial port (ttyS0)&quot;). USB&#xa;adapters appear under their /dev/serial/by-id names; a ttyS port only when a UART is&#xa;behind it. Talks to no sensor; the number is what --port takes.&#xa;">
        <source>Lists the serial ports as kvormx finds them, one a line: the COM number, the
device and what it is ("COM1  /dev/ttyS0  on-board serial port (ttyS0)"). USB
adapters appear under their /dev/serial/by-id names; a ttyS port only when a UART is
behind it. Talks to no sensor; the number is what --port takes.
</source>
        <translation>Listet die seriellen Schnittstellen so, wie kvormx sie findet, eine je Zeile: die
COM-Nummer, das Gerät und was es ist ("COM1  /dev/ttyS0  on-board serial port (ttyS0)").
USB-Adapter erscheinen unter ihren Namen in /dev/serial/by-id; ein ttyS-Port nur, wenn
ein UART dahinter steht. Spricht mit keinem Sensor; die Nummer ist, was --port nimmt.
</translation>
    </message>
    <message id="line check, sensor description, line length, board, firmware">
        <source>line check, sensor description, line length, board, firmware</source>
        <translation>Leitungsprüfung, Sensorbeschreibung, Zeilenlänge, Platine, Firmware</translation>
    </message>
    <message id="[--eeprom] [-o FILE] [--json]">
        <source>[--eeprom] [-o FILE] [--json]</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="read the parameter set from RAM or EEPROM">
        <source>read the parameter set from RAM or EEPROM</source>
        <translation>den Parametersatz aus RAM oder EEPROM lesen</translation>
    </message>
    <message id="Reads the sensor's parameter set from its RAM (the set it works with) and writes it&#xa;as a parameter file: the 16 words, one decimal value per line, in packet order, the&#xa;format kvormx loads and saves.&#xa;  --eeprom           read the set kept in EEPROM instead&#xa;  -o, --output FILE  write the parameter file to FILE (replaced whole, or left as it&#xa;                     was when it cannot be written) instead of standard output&#xa;  --json             print the words with their names as one JSON object&#xa;                     (with -o the file is written as well)&#xa;Words: power rs232Mode vThd bVal polarity eMode eBeg eEnd tVal tTol iGain ePoti&#xa;ccdMode pStart anaMode para15.&#xa;">
        <source>Reads the sensor's parameter set from its RAM (the set it works with) and writes it
as a parameter file: the 16 words, one decimal value per line, in packet order, the
format kvormx loads and saves.
  --eeprom           read the set kept in EEPROM instead
  -o, --output FILE  write the parameter file to FILE (replaced whole, or left as it
                     was when it cannot be written) instead of standard output
  --json             print the words with their names as one JSON object
                     (with -o the file is written as well)
Words: power rs232Mode vThd bVal polarity eMode eBeg eEnd tVal tTol iGain ePoti
ccdMode pStart anaMode para15.
</source>
        <translation>Liest den Parametersatz des Sensors aus seinem RAM (dem Satz, mit dem er arbeitet)
und schreibt ihn als Parameterdatei: die 16 Wörter, ein Dezimalwert je Zeile, in der
Reihenfolge des Pakets, das Format, das kvormx lädt und speichert.
  --eeprom           stattdessen den im EEPROM gehaltenen Satz lesen
  -o, --output DATEI die Parameterdatei in DATEI schreiben (ganz ersetzt, oder wie sie
                     war, wenn sie nicht geschrieben werden kann) statt auf die
                     Standardausgabe
  --json             die Wörter mit ihren Namen als ein JSON-Objekt ausgeben
                     (mit -o wird die Datei ebenfalls geschrieben)
Wörter: power rs232Mode vThd bVal polarity eMode eBeg eEnd tVal tTol iGain ePoti
ccdMode pStart anaMode para15.
</translation>
    </message>
    <message id="FILE [--eeprom] [--strict]">
        <source>FILE [--eeprom] [--strict]</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="write a parameter file to RAM or EEPROM, verified">
        <source>write a parameter file to RAM or EEPROM, verified</source>
        <translation>eine Parameterdatei in RAM oder EEPROM schreiben, geprüft</translation>
    </message>
    <message id="Writes the 16 words of the parameter file FILE (&quot;-&quot;: standard input) to the&#xa;sensor's RAM, then reads the set back from RAM and compares it word by word. The&#xa;range rules of kvormx's panels apply first: a word out of its range is replaced&#xa;by its fixed value (power above 1000 by 500, vThd above 950 by 950, eEnd above&#xa;1024 by the last pixel of the sensor's line, ...), each change a line on standard&#xa;error (&quot;send: FILE: power 2000 -&gt; 500 (above 1000)&quot;). Values the panels merely&#xa;have no item for go out as they stand.&#xa;  --eeprom  write to EEPROM (the sensor's RAM takes the set too) and verify EEPROM&#xa;  --strict  refuse a file with a word out of range (status 2) before the port is&#xa;            opened, naming each such word&#xa;A set that reads back different fails with status 1, naming the first word that&#xa;differs, what the sensor holds there and what was sent.&#xa;">
        <source>Writes the 16 words of the parameter file FILE ("-": standard input) to the
sensor's RAM, then reads the set back from RAM and compares it word by word. The
range rules of kvormx's panels apply first: a word out of its range is replaced
by its fixed value (power above 1000 by 500, vThd above 950 by 950, eEnd above
1024 by the last pixel of the sensor's line, ...), each change a line on standard
error ("send: FILE: power 2000 -&gt; 500 (above 1000)"). Values the panels merely
have no item for go out as they stand.
  --eeprom  write to EEPROM (the sensor's RAM takes the set too) and verify EEPROM
  --strict  refuse a file with a word out of range (status 2) before the port is
            opened, naming each such word
A set that reads back different fails with status 1, naming the first word that
differs, what the sensor holds there and what was sent.
</source>
        <translation>Schreibt die 16 Wörter der Parameterdatei FILE ("-": Standardeingabe) in das RAM des
Sensors, liest den Satz dann aus dem RAM zurück und vergleicht ihn Wort für Wort.
Zuerst gelten die Bereichsregeln der Bedienfelder von kvormx: ein Wort außerhalb
seines Bereichs wird durch seinen festen Wert ersetzt (power über 1000 durch 500,
vThd über 950 durch 950, eEnd über 1024 durch das letzte Pixel der Sensorzeile, ...),
jede Änderung eine Zeile auf der Standardfehlerausgabe ("send: FILE: power 2000 -&gt;
500 (above 1000)"). Werte, für die die Bedienfelder bloß keinen Eintrag haben, gehen
hinaus, wie sie sind.
  --eeprom  in das EEPROM schreiben (das RAM des Sensors übernimmt den Satz auch) und
            das EEPROM prüfen
  --strict  eine Datei mit einem Wort außerhalb des Bereichs ablehnen (Status 2), bevor
            die Schnittstelle geöffnet wird, und jedes solche Wort nennen
Ein Satz, der anders zurückgelesen wird, scheitert mit Status 1 und nennt das erste
abweichende Wort, was der Sensor dort hält und was gesendet wurde.
</translation>
    </message>
    <message id="make the current measured value the teach value">
        <source>make the current measured value the teach value</source>
        <translation>den aktuellen Messwert zum Teachwert machen</translation>
    </message>
    <message id="Reads the sensor's RAM set, commands a teach (the sensor takes its current measured&#xa;value as its teach value), reads RAM back and prints the new teach value (tVal).&#xa;">
        <source>Reads the sensor's RAM set, commands a teach (the sensor takes its current measured
value as its teach value), reads RAM back and prints the new teach value (tVal).
</source>
        <translation>Liest den RAM-Satz des Sensors, befiehlt ein Teachen (der Sensor nimmt seinen
aktuellen Messwert als Teachwert), liest das RAM zurück und gibt den neuen Teachwert
(tVal) aus.
</translation>
    </message>
    <message id="reset the sensor's maximum and minimum">
        <source>reset the sensor's maximum and minimum</source>
        <translation>Maximum und Minimum des Sensors zurücksetzen</translation>
    </message>
    <message id="Reads the sensor's RAM set and commands the reset of the maximum and minimum of the&#xa;measured value. Prints nothing; status 0 once the sensor has answered.&#xa;">
        <source>Reads the sensor's RAM set and commands the reset of the maximum and minimum of the
measured value. Prints nothing; status 0 once the sensor has answered.
</source>
        <translation>Liest den RAM-Satz des Sensors und befiehlt das Zurücksetzen von Maximum und Minimum
des Messwerts. Gibt nichts aus; Status 0, sobald der Sensor geantwortet hat.
</translation>
    </message>
    <message id="a support file of the sensor on the line (tar)">
        <source>a support file of the sensor on the line (tar)</source>
        <translation>eine Supportdatei des Sensors an der Leitung (tar)</translation>
    </message>
    <message id="Proves the line, identifies the sensor, reads its firmware text and RAM set, and writes&#xa;FILE, a tar archive for whoever looks into a sensor that measures badly: the program's&#xa;version and the platform, the sensor's identity and parameter set, the line's health&#xa;counters and the last 500 frames on the line, decoded. A sensor that does not answer&#xa;still gets its file (the frames say what happened), with status 1.&#xa;">
        <source>Proves the line, identifies the sensor, reads its firmware text and RAM set, and writes
FILE, a tar archive for whoever looks into a sensor that measures badly: the program's
version and the platform, the sensor's identity and parameter set, the line's health
counters and the last 500 frames on the line, decoded. A sensor that does not answer
still gets its file (the frames say what happened), with status 1.
</source>
        <translation>Prüft die Leitung, erkennt den Sensor, liest seinen Firmwaretext und RAM-Satz und
schreibt FILE, ein tar-Archiv für alle, die einem schlecht messenden Sensor nachgehen:
Version des Programms und die Plattform, Identität und Parametersatz des Sensors, die
Zähler der Leitung und die letzten 500 Rahmen auf der Leitung, entschlüsselt. Ein
Sensor, der nicht antwortet, bekommt seine Datei trotzdem (die Rahmen sagen, was
geschah), mit Status 1.
</translation>
    </message>
    <message id="[--count N | --duration S] [--csv | --json] [--every N] [--interval S] [--keep-going]&#xa;       [--mqtt URL [--mqtt-auth FILE] [--mqtt-client-id ID]]">
        <source>[--count N | --duration S] [--csv | --json] [--every N] [--interval S] [--keep-going]
       [--mqtt URL [--mqtt-auth FILE] [--mqtt-client-id ID]]</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="run mode: a line per measurement">
        <source>run mode: a line per measurement</source>
        <translation>Messbetrieb: eine Zeile je Messung</translation>
    </message>
    <message id="video mode: a line per picture">
        <source>video mode: a line per picture</source>
        <translation>Videobetrieb: eine Zeile je Bild</translation>
    </message>
    <message id="Usage: kvormx-cli [OPTION]... COMMAND [ARGUMENT]...&#xa;The operations of the K-VOR-MX operating tool without a window, for scripts:&#xa;identify the sensor, back up and restore its parameter set, teach, reset, and log&#xa;its measurements.&#xa;&#xa;Commands:&#xa;">
        <source>Usage: kvormx-cli [OPTION]... COMMAND [ARGUMENT]...
The operations of the K-VOR-MX operating tool without a window, for scripts:
identify the sensor, back up and restore its parameter set, teach, reset, and log
its measurements.

Commands:
</source>
        <translation>Aufruf: kvormx-cli [OPTION]... BEFEHL [ARGUMENT]...
Die Vorgänge des K-VOR-MX-Bedienprogramms ohne Fenster, für Skripte: den Sensor
erkennen, seinen Parametersatz sichern und zurückspielen, teachen, zurücksetzen
und seine Messungen protokollieren.

Befehle:
</translation>
    </message>
    <message id="help [COMMAND]">
        <source>help [COMMAND]</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="this text, or COMMAND's">
        <source>this text, or COMMAND's</source>
        <translation>dieser Text, oder der zu BEFEHL</translation>
    </message>
    <message id="The line runs at 19200 baud, 8 data bits, no parity, 1 stop bit, no handshake. Every&#xa;command that talks to the sensor first proves the line with an echo frame. Data goes&#xa;to standard output, messages to standard error.&#xa;&#xa;">
        <source>The line runs at 19200 baud, 8 data bits, no parity, 1 stop bit, no handshake. Every
command that talks to the sensor first proves the line with an echo frame. Data goes
to standard output, messages to standard error.

</source>
        <translation>Die Leitung läuft mit 19200 Baud, 8 Datenbits, ohne Parität, 1 Stoppbit, ohne
Handshake. Jeder Befehl, der mit dem Sensor spricht, prüft zuerst die Leitung mit
einem Echorahmen. Daten gehen auf die Standardausgabe, Meldungen auf die
Standardfehlerausgabe.

</translation>
    </message>
    <message id="%s kvormx-cli [OPTION]... %s %s&#xa;%s&#xa;%s&#xa;%s">
        <source>%s kvormx-cli [OPTION]... %s %s
%s
%s
%s</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="&lt;%d&gt;kvormx-cli: %s&#xa;">
        <source>&lt;%d&gt;kvormx-cli: %s
</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="kvormx-cli: %s&#xa;">
        <source>kvormx-cli: %s
</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="%s: %s (see kvormx-cli %s --help)">
        <source>%s: %s (see kvormx-cli %s --help)</source>
        <translation>%s: %s (siehe kvormx-cli %s --help)</translation>
    </message>
    <message id="%s (see kvormx-cli --help)">
        <source>%s (see kvormx-cli --help)</source>
        <translation>%s (siehe kvormx-cli --help)</translation>
    </message>
    <message id="%s needs a value (see kvormx-cli --help)">
        <source>%s needs a value (see kvormx-cli --help)</source>
        <translation>%s braucht einen Wert (siehe kvormx-cli --help)</translation>
    </message>
    <message id="%s wants a whole number of at least 1, not '%s'">
        <source>%s wants a whole number of at least 1, not '%s'</source>
        <translation>%s verlangt eine ganze Zahl ab 1, nicht '%s'</translation>
    </message>
    <message id="%s wants a time in seconds above 0, not '%s'">
        <source>%s wants a time in seconds above 0, not '%s'</source>
        <translation>%s verlangt eine Zeit in Sekunden über 0, nicht '%s'</translation>
    </message>
    <message id="the trace stopped: %s">
        <source>the trace stopped: %s</source>
        <translation>das Protokoll hat angehalten: %s</translation>
    </message>
    <message id="--language wants en or de, not '%s'">
        <source>--language wants en or de, not '%s'</source>
        <translation>--language verlangt en oder de, nicht '%s'</translation>
    </message>
    <message id="kvormx-cli (">
        <source>kvormx-cli (</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="%s wants a path of 1 to %d bytes">
        <source>%s wants a path of 1 to %d bytes</source>
        <translation>%s verlangt einen Pfad von 1 bis %d Bytes</translation>
    </message>
    <message id="--timeout wants 0.01 to 3600 seconds">
        <source>--timeout wants 0.01 to 3600 seconds</source>
        <translation>--timeout verlangt 0.01 bis 3600 Sekunden</translation>
    </message>
    <message id="no command '%s'">
        <source>no command '%s'</source>
        <translation>kein Befehl '%s'</translation>
    </message>
    <message id="unknown option '%s'">
        <source>unknown option '%s'</source>
        <translation>unbekannte Option '%s'</translation>
    </message>
    <message id="too many arguments">
        <source>too many arguments</source>
        <translation>zu viele Argumente</translation>
    </message>
    <message id="--simulate and --port exclude each other">
        <source>--simulate and --port exclude each other</source>
        <translation>--simulate und --port schließen einander aus</translation>
    </message>
    <message id="the trace could not be written whole: %s">
        <source>the trace could not be written whole: %s</source>
        <translation>das Protokoll konnte nicht vollständig geschrieben werden: %s</translation>
    </message>
    <message id="standard output could not be written: %s">
        <source>standard output could not be written: %s</source>
        <translation>die Standardausgabe konnte nicht geschrieben werden: %s</translation>
    </message>
    <message id="write error">
        <source>write error</source>
        <translation>Schreibfehler</translation>
    </message>
    <message id="get: no scratch file in /tmp for the parameter file">
        <source>get: no scratch file in /tmp for the parameter file</source>
        <translation>get: keine Hilfsdatei in /tmp für die Parameterdatei</translation>
    </message>
    <message id="get: the parameter file could not be put together in /tmp">
        <source>get: the parameter file could not be put together in /tmp</source>
        <translation>get: die Parameterdatei konnte in /tmp nicht zusammengestellt werden</translation>
    </message>
    <message id="-o wants a file name">
        <source>-o wants a file name</source>
        <translation>-o verlangt einen Dateinamen</translation>
    </message>
    <message id="parameter read from EEPROM">
        <source>parameter read from EEPROM</source>
        <translation>Parameter aus dem EEPROM lesen</translation>
    </message>
    <message id="get: cannot write the parameter file %s%s%s">
        <source>get: cannot write the parameter file %s%s%s</source>
        <translation>get: die Parameterdatei kann nicht geschrieben werden %s%s%s</translation>
    </message>
    <message id="send: standard input could not be read into a scratch file in /tmp">
        <source>send: standard input could not be read into a scratch file in /tmp</source>
        <translation>send: die Standardeingabe konnte nicht in eine Hilfsdatei in /tmp gelesen werden</translation>
    </message>
    <message id="send: %s is no parameter file: it cannot be read, or holds fewer than %d values from 0 to 65535">
        <source>send: %s is no parameter file: it cannot be read, or holds fewer than %d values from 0 to 65535</source>
        <translation>send: %s ist keine Parameterdatei: sie ist nicht lesbar oder hält weniger als %d Werte von 0 bis 65535</translation>
    </message>
    <message id="standard input">
        <source>standard input</source>
        <translation>Standardeingabe</translation>
    </message>
    <message id="which parameter file? (&quot;-&quot; for standard input)">
        <source>which parameter file? ("-" for standard input)</source>
        <translation>welche Parameterdatei? ("-" für die Standardeingabe)</translation>
    </message>
    <message id="send: %s: %s %d is %s">
        <source>send: %s: %s %d is %s</source>
        <translation>send: %s: %s %d ist %s</translation>
    </message>
    <message id="send: %s: not sent (--strict): %d word%s out of range">
        <source>send: %s: not sent (--strict): %d word%s out of range</source>
        <translation>send: %s: nicht gesendet (--strict): %d Wort/Wörter%s außerhalb des Bereichs</translation>
    </message>
    <message id="send: %s: %s %d -&gt; %d (%s)">
        <source>send: %s: %s %d -&gt; %d (%s)</source>
        <translation>send: %s: %s %d -&gt; %d (%s)</translation>
    </message>
    <message id="%s: send to %s: the set read back differs: word %d (%s) is %u in the sensor, %u was sent">
        <source>%s: send to %s: the set read back differs: word %d (%s) is %u in the sensor, %u was sent</source>
        <translation>%s: Senden an %s: der zurückgelesene Satz weicht ab: Wort %d (%s) ist %u im Sensor, %u wurde gesendet</translation>
    </message>
    <message id="send to %s">
        <source>send to %s</source>
        <translation>Senden an %s</translation>
    </message>
    <message id="send to %s, read-back">
        <source>send to %s, read-back</source>
        <translation>Senden an %s, Rücklesen</translation>
    </message>
    <message id="parameter read from RAM after the teach">
        <source>parameter read from RAM after the teach</source>
        <translation>Parameter aus dem RAM lesen nach dem Teachen</translation>
    </message>
    <message id="max/min reset">
        <source>max/min reset</source>
        <translation>Max/Min-Rücksetzen</translation>
    </message>
    <message id="--mqtt-auth needs --mqtt URL">
        <source>--mqtt-auth needs --mqtt URL</source>
        <translation>--mqtt-auth braucht --mqtt URL</translation>
    </message>
    <message id="--mqtt-client-id needs --mqtt URL">
        <source>--mqtt-client-id needs --mqtt URL</source>
        <translation>--mqtt-client-id braucht --mqtt URL</translation>
    </message>
    <message id="MQTT: %lu message%s did not reach the broker">
        <source>MQTT: %lu message%s did not reach the broker</source>
        <translation>MQTT: %lu Nachricht(en)%s erreichten den Broker nicht</translation>
    </message>
    <message id=", re">
        <source>, re</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="MQTT: the broker was never reached (%s)">
        <source>MQTT: the broker was never reached (%s)</source>
        <translation>MQTT: der Broker wurde nie erreicht (%s)</translation>
    </message>
    <message id="%Y-%m-%d %H:%M:%S">
        <source>%Y-%m-%d %H:%M:%S</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="%s: %s - waiting for it">
        <source>%s: %s - waiting for it</source>
        <translation>%s: %s - warte darauf</translation>
    </message>
    <message id="port lost">
        <source>port lost</source>
        <translation>Schnittstelle verloren</translation>
    </message>
    <message id="port not present">
        <source>port not present</source>
        <translation>Schnittstelle nicht vorhanden</translation>
    </message>
    <message id="port back: %s - setting up">
        <source>port back: %s - setting up</source>
        <translation>Schnittstelle zurück: %s - wird eingerichtet</translation>
    </message>
    <message id="%s: setting up %s">
        <source>%s: setting up %s</source>
        <translation>%s: richte %s ein</translation>
    </message>
    <message id="cannot open %s, trying again in %.0f s">
        <source>cannot open %s, trying again in %.0f s</source>
        <translation>%s kann nicht geöffnet werden, neuer Versuch in %.0f s</translation>
    </message>
    <message id="sensor not answering since %s on %s, trying again every %.0f to %.0f s">
        <source>sensor not answering since %s on %s, trying again every %.0f to %.0f s</source>
        <translation>Sensor antwortet nicht seit %s an %s, neuer Versuch alle %.0f bis %.0f s</translation>
    </message>
    <message id="sensor answering again after %.0f s">
        <source>sensor answering again after %.0f s</source>
        <translation>Sensor antwortet wieder nach %.0f s</translation>
    </message>
    <message id="pictures from">
        <source>pictures from</source>
        <translation>Bilder von</translation>
    </message>
    <message id="measuring on">
        <source>measuring on</source>
        <translation>misst an</translation>
    </message>
    <message id="which file? (a tar archive)">
        <source>which file? (a tar archive)</source>
        <translation>welche Datei? (ein tar-Archiv)</translation>
    </message>
    <message id="support: cannot write %s">
        <source>support: cannot write %s</source>
        <translation>support: %s kann nicht geschrieben werden</translation>
    </message>
    <message id="a URL">
        <source>a URL</source>
        <translation>eine URL</translation>
    </message>
    <message id="a file">
        <source>a file</source>
        <translation>eine Datei</translation>
    </message>
    <message id="a name of 1 to 255 bytes">
        <source>a name of 1 to 255 bytes</source>
        <translation>einen Namen von 1 bis 255 Bytes</translation>
    </message>
    <message id="--csv or --json, not both">
        <source>--csv or --json, not both</source>
        <translation>--csv oder --json, nicht beides</translation>
    </message>
    <message id="--count or --duration, not both">
        <source>--count or --duration, not both</source>
        <translation>--count oder --duration, nicht beides</translation>
    </message>
    <message id="video block from sample %d of picture %ld">
        <source>video block from sample %d of picture %ld</source>
        <translation>Videoblock ab Abtastwert %d von Bild %ld</translation>
    </message>
    <message id="measurement request of picture %ld">
        <source>measurement request of picture %ld</source>
        <translation>Messanforderung von Bild %ld</translation>
    </message>
    <message id="measurement request %ld">
        <source>measurement request %ld</source>
        <translation>Messanforderung %ld</translation>
    </message>
    <message id="video: pictures from %s">
        <source>video: pictures from %s</source>
        <translation>video: Bilder von %s</translation>
    </message>
    <message id="watch: measuring on %s">
        <source>watch: measuring on %s</source>
        <translation>watch: misst an %s</translation>
    </message>
    <message id="%s stopped: %s">
        <source>%s stopped: %s</source>
        <translation>%s angehalten: %s</translation>
    </message>
    <message id="Line Ok!">
        <source>Line Ok!</source>
        <translation>Leitung in Ordnung!</translation>
    </message>
    <message id="Waiting for Data[64] ...">
        <source>Waiting for Data[64] ...</source>
        <translation>Warte auf Data[64] ...</translation>
    </message>
    <message id="Waiting for Data[256] ...">
        <source>Waiting for Data[256] ...</source>
        <translation>Warte auf Data[256] ...</translation>
    </message>
    <message id="after the frame, flushed">
        <source>after the frame, flushed</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="late, after a time-out or stop: flushed">
        <source>late, after a time-out or stop: flushed</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="TIMEOUT: no reply within %ld.%03ld s">
        <source>TIMEOUT: no reply within %ld.%03ld s</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="STOPPED: the wait ended with the loop">
        <source>STOPPED: the wait ended with the loop</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="before the request, flushed">
        <source>before the request, flushed</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="Timeout - reading firmware info!">
        <source>Timeout - reading firmware info!</source>
        <translation>Zeitüberschreitung - beim Lesen der Firmware-Info!</translation>
    </message>
    <message id="  CCD-SENSOR:1024 pixel; 3.0µm res., opt.-lense, 3.0mm working range">
        <source>  CCD-SENSOR:1024 pixel; 3.0µm res., opt.-lense, 3.0mm working range</source>
        <translation>  CCD-SENSOR:1024 Pixel; 3,0µm Aufl., Optik, 3,0mm Arbeitsbereich</translation>
    </message>
    <message id="  CCD-SENSOR:1024 pixel; 7.8µm pixel-pitch, 8.0mm working range">
        <source>  CCD-SENSOR:1024 pixel; 7.8µm pixel-pitch, 8.0mm working range</source>
        <translation>  CCD-SENSOR:1024 Pixel; 7,8µm Pixelabstand, 8,0mm Arbeitsbereich</translation>
    </message>
    <message id="  CCD-SENSOR:1024 pixel; 25µm pixel-pitch, opt.-lense, 75mm working range">
        <source>  CCD-SENSOR:1024 pixel; 25µm pixel-pitch, opt.-lense, 75mm working range</source>
        <translation>  CCD-SENSOR:1024 Pixel; 25µm Pixelabstand, Optik, 75mm Arbeitsbereich</translation>
    </message>
    <message id="  CCD-SENSOR:1024 pixel; 25µm pixel-pitch, opt.-lense, 35mm working range">
        <source>  CCD-SENSOR:1024 pixel; 25µm pixel-pitch, opt.-lense, 35mm working range</source>
        <translation>  CCD-SENSOR:1024 Pixel; 25µm Pixelabstand, Optik, 35mm Arbeitsbereich</translation>
    </message>
    <message id="  CCD-SENSOR:1024 pixel; 25µm pixel-pitch, 25,4mm working range">
        <source>  CCD-SENSOR:1024 pixel; 25µm pixel-pitch, 25,4mm working range</source>
        <translation>  CCD-SENSOR:1024 Pixel; 25µm Pixelabstand, 25,4mm Arbeitsbereich</translation>
    </message>
    <message id="  CCD-SENSOR:512 pixel; 25µm pixel-pitch, 12,8mm working range">
        <source>  CCD-SENSOR:512 pixel; 25µm pixel-pitch, 12,8mm working range</source>
        <translation>  CCD-SENSOR:512 Pixel; 25µm Pixelabstand, 12,8mm Arbeitsbereich</translation>
    </message>
    <message id="  CCD-SENSOR:256 pixel; 63.5µm pixel-pitch, 16mm working range">
        <source>  CCD-SENSOR:256 pixel; 63.5µm pixel-pitch, 16mm working range</source>
        <translation>  CCD-SENSOR:256 Pixel; 63,5µm Pixelabstand, 16mm Arbeitsbereich</translation>
    </message>
    <message id="  CCD-SENSOR: no information avialable!">
        <source>  CCD-SENSOR: no information avialable!</source>
        <translation>  CCD-SENSOR: keine Information verfügbar!</translation>
    </message>
    <message id="Unknown system error">
        <source>Unknown system error</source>
        <translation>Unbekannter Systemfehler</translation>
    </message>
    <message id="Invalid port number">
        <source>Invalid port number</source>
        <translation>Ungültige Schnittstellennummer</translation>
    </message>
    <message id="Port is not open">
        <source>Port is not open</source>
        <translation>Schnittstelle ist nicht geöffnet</translation>
    </message>
    <message id="Unknown I/0 error">
        <source>Unknown I/0 error</source>
        <translation>Unbekannter E/A-Fehler</translation>
    </message>
    <message id="No serial port found">
        <source>No serial port found</source>
        <translation>Keine serielle Schnittstelle gefunden</translation>
    </message>
    <message id="Cannot open port">
        <source>Cannot open port</source>
        <translation>Schnittstelle kann nicht geöffnet werden</translation>
    </message>
    <message id="Invalid parameter">
        <source>Invalid parameter</source>
        <translation>Ungültiger Parameter</translation>
    </message>
    <message id="Port in use">
        <source>Port in use</source>
        <translation>Schnittstelle belegt</translation>
    </message>
    <message id="RS-232 error!">
        <source>RS-232 error!</source>
        <translation>RS-232-Fehler!</translation>
    </message>
    <message id="Port lost: %s">
        <source>Port lost: %s</source>
        <translation>Schnittstelle verloren: %s</translation>
    </message>
    <message id="Echo Check - Line Ok!">
        <source>Echo Check - Line Ok!</source>
        <translation>Echoprüfung - Leitung in Ordnung!</translation>
    </message>
    <message id="read error - not sync byte 0xAA!">
        <source>read error - not sync byte 0xAA!</source>
        <translation>Lesefehler - kein Sync-Byte 0xAA!</translation>
    </message>
    <message id="CCD-SENSOR: no information">
        <source>CCD-SENSOR: no information</source>
        <translation>CCD-SENSOR: keine Information</translation>
    </message>
    <message id="Parameter-frame received! - Line Ok!">
        <source>Parameter-frame received! - Line Ok!</source>
        <translation>Parameterrahmen empfangen! - Leitung in Ordnung!</translation>
    </message>
    <message id="read error - reply longer than a frame!">
        <source>read error - reply longer than a frame!</source>
        <translation>Lesefehler - Antwort länger als ein Rahmen!</translation>
    </message>
    <message id="Timeout-RS-232... - the sent set was not confirmed">
        <source>Timeout-RS-232... - the sent set was not confirmed</source>
        <translation>Zeitüberschreitung RS-232... - der gesendete Satz wurde nicht bestätigt</translation>
    </message>
    <message id="Reset Max/Min OK!">
        <source>Reset Max/Min OK!</source>
        <translation>Max/Min zurückgesetzt!</translation>
    </message>
    <message id="Timeout RS232-Line!">
        <source>Timeout RS232-Line!</source>
        <translation>Zeitüberschreitung RS232-Leitung!</translation>
    </message>
    <message id="Data[64] block received!">
        <source>Data[64] block received!</source>
        <translation>Data[64]-Block empfangen!</translation>
    </message>
    <message id="Timeout-RS-232 while reading 64 data-words!">
        <source>Timeout-RS-232 while reading 64 data-words!</source>
        <translation>Zeitüberschreitung RS-232 beim Lesen von 64 Datenwörtern!</translation>
    </message>
    <message id="Data[256] block received!">
        <source>Data[256] block received!</source>
        <translation>Data[256]-Block empfangen!</translation>
    </message>
    <message id="Timeout-RS-232 while reading 256 data-words!">
        <source>Timeout-RS-232 while reading 256 data-words!</source>
        <translation>Zeitüberschreitung RS-232 beim Lesen von 256 Datenwörtern!</translation>
    </message>
    <message id="Transmit error: %s">
        <source>Transmit error: %s</source>
        <translation>Sendefehler: %s</translation>
    </message>
    <message id="the frame did not go out whole">
        <source>the frame did not go out whole</source>
        <translation>der Rahmen ging nicht vollständig hinaus</translation>
    </message>
    <message id="the request could not be written: %s">
        <source>the request could not be written: %s</source>
        <translation>die Anforderung konnte nicht geschrieben werden: %s</translation>
    </message>
    <message id="only %d of the request's %d bytes went out">
        <source>only %d of the request's %d bytes went out</source>
        <translation>nur %d der %d Bytes der Anforderung gingen hinaus</translation>
    </message>
    <message id="the device is gone">
        <source>the device is gone</source>
        <translation>das Gerät ist fort</translation>
    </message>
    <message id="the reply was longer than it may be">
        <source>the reply was longer than it may be</source>
        <translation>die Antwort war länger als erlaubt</translation>
    </message>
    <message id="another exchange held the line">
        <source>another exchange held the line</source>
        <translation>ein anderer Austausch belegte die Leitung</translation>
    </message>
    <message id="the port failed: %s">
        <source>the port failed: %s</source>
        <translation>die Schnittstelle versagte: %s</translation>
    </message>
    <message id="%d of %d bytes came within %g s">
        <source>%d of %d bytes came within %g s</source>
        <translation>%d von %d Bytes kamen innerhalb von %g s</translation>
    </message>
    <message id="no reply within %g s">
        <source>no reply within %g s</source>
        <translation>keine Antwort innerhalb von %g s</translation>
    </message>
    <message id="# time&#9;seconds&#9;direction&#9;command&#9;words decoded&#9;bytes in hex&#xa;">
        <source># time	seconds	direction	command	words decoded	bytes in hex
</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="sync=0x%04X cmd=%u">
        <source>sync=0x%04X cmd=%u</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="%d of %d bytes, no frame">
        <source>%d of %d bytes, no frame</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="write failed: %d of %d bytes">
        <source>write failed: %d of %d bytes</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="no exchange waits: dropped">
        <source>no exchange waits: dropped</source>
        <translation>kein Austausch wartet: verworfen</translation>
    </message>
    <message id="%d of %d bytes">
        <source>%d of %d bytes</source>
        <translation type="unfinished"></translation>
    </message>
    <message id=" samples %d..%d:">
        <source> samples %d..%d:</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="# %s %s frame trace, begun %s, COM%d (%s)&#xa;">
        <source># %s %s frame trace, begun %s, COM%d (%s)
</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="# time&#9;seconds&#9;direction&#9;command&#9;words decoded&#9;bytes in hex">
        <source># time	seconds	direction	command	words decoded	bytes in hex</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="host name verification failed">
        <source>host name verification failed</source>
        <translation>Prüfung des Hostnamens fehlgeschlagen</translation>
    </message>
    <message id="certificate verify failed">
        <source>certificate verify failed</source>
        <translation>Zertifikatsprüfung fehlgeschlagen</translation>
    </message>
    <message id="OpenSSL Error">
        <source>OpenSSL Error</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="MQTT protocol version">
        <source>MQTT protocol version</source>
        <translation>MQTT-Protokollversion</translation>
    </message>
    <message id="MQTT credentials">
        <source>MQTT credentials</source>
        <translation>MQTT-Zugangsdaten</translation>
    </message>
    <message id="MQTT TLS set-up">
        <source>MQTT TLS set-up</source>
        <translation>MQTT-TLS-Einrichtung</translation>
    </message>
    <message id="MQTT last will">
        <source>MQTT last will</source>
        <translation>MQTT letzter Wille</translation>
    </message>
    <message id="MQTT topic name too long: %s">
        <source>MQTT topic name too long: %s</source>
        <translation>MQTT-Themenname zu lang: %s</translation>
    </message>
    <message id="no MQTT set-up">
        <source>no MQTT set-up</source>
        <translation>keine MQTT-Einrichtung</translation>
    </message>
    <message id="cannot create the MQTT client: %s">
        <source>cannot create the MQTT client: %s</source>
        <translation>der MQTT-Client kann nicht angelegt werden: %s</translation>
    </message>
    <message id="MQTT: connecting to %s:%d ...">
        <source>MQTT: connecting to %s:%d ...</source>
        <translation>MQTT: verbinde mit %s:%d ...</translation>
    </message>
    <message id="MQTT: broker %s:%d not reachable, retrying ...">
        <source>MQTT: broker %s:%d not reachable, retrying ...</source>
        <translation>MQTT: Broker %s:%d nicht erreichbar, neuer Versuch ...</translation>
    </message>
    <message id="MQTT: connected to %s:%d">
        <source>MQTT: connected to %s:%d</source>
        <translation>MQTT: verbunden mit %s:%d</translation>
    </message>
    <message id="MQTT: broker %s:%d lost, reconnecting ...">
        <source>MQTT: broker %s:%d lost, reconnecting ...</source>
        <translation>MQTT: Broker %s:%d verloren, verbinde neu ...</translation>
    </message>
    <message id="MQTT: broker %s:%d refused the credentials">
        <source>MQTT: broker %s:%d refused the credentials</source>
        <translation>MQTT: Broker %s:%d lehnte die Zugangsdaten ab</translation>
    </message>
    <message id="MQTT: broker %s:%d refused the connection">
        <source>MQTT: broker %s:%d refused the connection</source>
        <translation>MQTT: Broker %s:%d lehnte die Verbindung ab</translation>
    </message>
    <message id="MQTT: broker host not found: %s, retrying ...">
        <source>MQTT: broker host not found: %s, retrying ...</source>
        <translation>MQTT: Broker-Host nicht gefunden: %s, neuer Versuch ...</translation>
    </message>
    <message id="MQTT: broker %s:%d: TLS: certificate not trusted, retrying ...">
        <source>MQTT: broker %s:%d: TLS: certificate not trusted, retrying ...</source>
        <translation>MQTT: Broker %s:%d: TLS: Zertifikat nicht vertrauenswürdig, neuer Versuch ...</translation>
    </message>
    <message id="MQTT: broker %s:%d: TLS: the certificate is not for this host name, retrying ...">
        <source>MQTT: broker %s:%d: TLS: the certificate is not for this host name, retrying ...</source>
        <translation>MQTT: Broker %s:%d: TLS: das Zertifikat gilt nicht für diesen Hostnamen, neuer Versuch ...</translation>
    </message>
    <message id="MQTT: broker %s:%d: TLS: handshake failed, retrying ...">
        <source>MQTT: broker %s:%d: TLS: handshake failed, retrying ...</source>
        <translation>MQTT: Broker %s:%d: TLS: Verbindungsaufbau fehlgeschlagen, neuer Versuch ...</translation>
    </message>
    <message id="MQTT: off">
        <source>MQTT: off</source>
        <translation>MQTT: aus</translation>
    </message>
    <message id="the MQTT URL takes no user name or password: put them in a credentials file">
        <source>the MQTT URL takes no user name or password: put them in a credentials file</source>
        <translation>die MQTT-URL nimmt keinen Benutzernamen und kein Passwort: diese gehören in eine Zugangsdatei</translation>
    </message>
    <message id="the MQTT URL must start with mqtt:// or mqtts://, got '%s'">
        <source>the MQTT URL must start with mqtt:// or mqtts://, got '%s'</source>
        <translation>die MQTT-URL muss mit mqtt:// oder mqtts:// beginnen, erhalten '%s'</translation>
    </message>
    <message id="bad host in the MQTT URL '%s'">
        <source>bad host in the MQTT URL '%s'</source>
        <translation>ungültiger Host in der MQTT-URL '%s'</translation>
    </message>
    <message id="no host in the MQTT URL '%s'">
        <source>no host in the MQTT URL '%s'</source>
        <translation>kein Host in der MQTT-URL '%s'</translation>
    </message>
    <message id="bad port in the MQTT URL '%s'">
        <source>bad port in the MQTT URL '%s'</source>
        <translation>ungültiger Port in der MQTT-URL '%s'</translation>
    </message>
    <message id="the MQTT topic prefix must be short and without # or +, got '%s'">
        <source>the MQTT topic prefix must be short and without # or +, got '%s'</source>
        <translation>das MQTT-Themenpräfix muss kurz und ohne # oder + sein, erhalten '%s'</translation>
    </message>
    <message id="the MQTT topic prefix must not begin with $, got '%s'">
        <source>the MQTT topic prefix must not begin with $, got '%s'</source>
        <translation>das MQTT-Themenpräfix darf nicht mit $ beginnen, erhalten '%s'</translation>
    </message>
    <message id="not a regular file">
        <source>not a regular file</source>
        <translation>keine gewöhnliche Datei</translation>
    </message>
    <message id="cannot read the MQTT credentials file %s: %s">
        <source>cannot read the MQTT credentials file %s: %s</source>
        <translation>die MQTT-Zugangsdatei %s kann nicht gelesen werden: %s</translation>
    </message>
    <message id="the MQTT credentials file %s has no user name on its first line">
        <source>the MQTT credentials file %s has no user name on its first line</source>
        <translation>die MQTT-Zugangsdatei %s hat keinen Benutzernamen in der ersten Zeile</translation>
    </message>
    <message id="%d (sensor value)">
        <source>%d (sensor value)</source>
        <translation>%d (Sensorwert)</translation>
    </message>
    <message id="Panel cannot show the value %d!">
        <source>Panel cannot show the value %d!</source>
        <translation>Das Bedienfeld kann den Wert %d nicht zeigen!</translation>
    </message>
    <message id="New setpoint value teached!">
        <source>New setpoint value teached!</source>
        <translation>Neuer Sollwert geteacht!</translation>
    </message>
    <message id="Reset Max/Min values...">
        <source>Reset Max/Min values...</source>
        <translation>Max/Min-Werte werden zurückgesetzt...</translation>
    </message>
    <message id="Error writing parameter file!">
        <source>Error writing parameter file!</source>
        <translation>Fehler beim Schreiben der Parameterdatei!</translation>
    </message>
    <message id="Error reading parameter file!">
        <source>Error reading parameter file!</source>
        <translation>Fehler beim Lesen der Parameterdatei!</translation>
    </message>
    <message id="K-VOR-MX-Series Parameter File">
        <source>K-VOR-MX-Series Parameter File</source>
        <translation>K-VOR-MX-Serie Parameterdatei</translation>
    </message>
    <message id="Waiting for parameter-frame ...">
        <source>Waiting for parameter-frame ...</source>
        <translation>Warte auf Parameterrahmen ...</translation>
    </message>
    <message id="Save">
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message id="OK">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="Load">
        <source>Load</source>
        <translation>Laden</translation>
    </message>
    <message id="Close">
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message id="Save as PNG...">
        <source>Save as PNG...</source>
        <translation>Als PNG speichern...</translation>
    </message>
    <message id="Save as SVG...">
        <source>Save as SVG...</source>
        <translation>Als SVG speichern...</translation>
    </message>
    <message id="Save as PDF...">
        <source>Save as PDF...</source>
        <translation>Als PDF speichern...</translation>
    </message>
    <message id="Copy picture">
        <source>Copy picture</source>
        <translation>Bild kopieren</translation>
    </message>
    <message id="Save data as CSV...">
        <source>Save data as CSV...</source>
        <translation>Daten als CSV speichern...</translation>
    </message>
    <message id="%s ended: %s">
        <source>%s ended: %s</source>
        <translation>%s beendet: %s</translation>
    </message>
    <message id="F5&#9;Run&#xa;F6&#9;Video&#xa;F7&#9;Get&#xa;F8&#9;Send&#xa;Esc&#9;Stop&#xa;Ctrl+Shift+R&#9;Record on or off&#xa;F1&#9;Keyboard shortcuts&#xa;Tab, Shift+Tab&#9;the next, the previous control&#xa;Space&#9;press the button or switch that has the focus&#xa;Enter&#9;take the value typed into a number field&#xa;Arrow keys&#9;step a number, a slide or a list">
        <source>F5	Run
F6	Video
F7	Get
F8	Send
Esc	Stop
Ctrl+Shift+R	Record on or off
F1	Keyboard shortcuts
Tab, Shift+Tab	the next, the previous control
Space	press the button or switch that has the focus
Enter	take the value typed into a number field
Arrow keys	step a number, a slide or a list</source>
        <translation>F5	Messen
F6	Video
F7	Holen
F8	Senden
Esc	Stopp
Strg+Umschalt+R	Aufzeichnen ein oder aus
F1	Tastenkürzel
Tab, Umschalt+Tab	das nächste, das vorige Bedienelement
Leertaste	den Knopf oder Schalter mit dem Fokus drücken
Eingabe	den in ein Zahlenfeld getippten Wert übernehmen
Pfeiltasten	eine Zahl, einen Schieber oder eine Liste weiterstellen</translation>
    </message>
    <message id="Keyboard shortcuts">
        <source>Keyboard shortcuts</source>
        <translation>Tastenkürzel</translation>
    </message>
    <message id="The manual could not be opened: man kvormx gives the manual page.">
        <source>The manual could not be opened: man kvormx gives the manual page.</source>
        <translation>Das Handbuch konnte nicht geöffnet werden: man kvormx zeigt die Handbuchseite.</translation>
    </message>
    <message id="K-VOR-MX operating tool %s&#xa;Licence: GPL-3.0-or-later&#xa;Qt %s, libmosquitto %s&#xa;Data folder: %s&#xa;Settings: %s">
        <source>K-VOR-MX operating tool %s
Licence: GPL-3.0-or-later
Qt %s, libmosquitto %s
Data folder: %s
Settings: %s</source>
        <translation>K-VOR-MX-Bedienprogramm %s
Lizenz: GPL-3.0-or-later
Qt %s, libmosquitto %s
Datenordner: %s
Einstellungen: %s</translation>
    </message>
    <message id="Manual">
        <source>Manual</source>
        <translation>Handbuch</translation>
    </message>
    <message id="About">
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message id="Proves the line (echo frame), asks the sensor what it is (hardware frame) and reads&#xa;its firmware text. Prints one &quot;key: value&quot; line each:&#xa;  description  the sensor's description, as the program shows it&#xa;  ccd_type     CCD type code&#xa;  pixels       pixels of the CCD line (the line length)&#xa;  resolution   resolution code&#xa;  board_type   board type (0: video in 64-sample blocks, word-coded firmware text)&#xa;  firmware     firmware text&#xa;  port         the device of the port&#xa;  --json       one JSON object with these keys instead&#xa;">
        <source>Proves the line (echo frame), asks the sensor what it is (hardware frame) and reads
its firmware text. Prints one "key: value" line each:
  description  the sensor's description, as the program shows it
  ccd_type     CCD type code
  pixels       pixels of the CCD line (the line length)
  resolution   resolution code
  board_type   board type (0: video in 64-sample blocks, word-coded firmware text)
  firmware     firmware text
  port         the device of the port
  --json       one JSON object with these keys instead
</source>
        <translation>Prüft die Leitung (Echorahmen), fragt den Sensor, was er ist (Hardwarerahmen), und
liest seinen Firmwaretext. Gibt je eine Zeile "Schlüssel: Wert" aus:
  description  die Beschreibung des Sensors, wie das Programm sie zeigt
  ccd_type     Kennzahl des CCD-Typs
  pixels       Pixel der CCD-Zeile (die Zeilenlänge)
  resolution   Kennzahl der Auflösung
  board_type   Platinentyp (0: Video in Blöcken zu 64 Werten, wortcodierter Firmwaretext)
  firmware     Firmwaretext
  port         das Gerät der Schnittstelle
  --json       stattdessen ein JSON-Objekt mit diesen Schlüsseln
</translation>
    </message>
    <message id="Usage:">
        <source>Usage:</source>
        <translation>Aufruf:</translation>
    </message>
    <message id="MQTT: ">
        <source>MQTT: </source>
        <translation type="unfinished"></translation>
    </message>
    <message id="Timeout-RS-232...">
        <source>Timeout-RS-232...</source>
        <translation>Zeitüberschreitung RS-232...</translation>
    </message>
    <message id="%s%skvormx-%s-%s.%s">
        <source>%s%skvormx-%s-%s.%s</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="Transmit...">
        <source>Transmit...</source>
        <translation>Senden...</translation>
    </message>
    <message id="K-VOR-MX-Parameter-File">
        <source>K-VOR-MX-Parameter-File</source>
        <translation>K-VOR-MX-Parameterdatei</translation>
    </message>
    <message id="Save the plotted data as CSV">
        <source>Save the plotted data as CSV</source>
        <translation>Die gezeichneten Daten als CSV speichern</translation>
    </message>
    <message id="Save the picture as SVG">
        <source>Save the picture as SVG</source>
        <translation>Das Bild als SVG speichern</translation>
    </message>
    <message id="Save the picture as PDF">
        <source>Save the picture as PDF</source>
        <translation>Das Bild als PDF speichern</translation>
    </message>
    <message id="Save the picture as PNG">
        <source>Save the picture as PNG</source>
        <translation>Das Bild als PNG speichern</translation>
    </message>
    <message id="COM%d  %s  %s&#xa;">
        <source>COM%d  %s  %s
</source>
        <translation>COM%d  %s  %s
</translation>
    </message>
    <message id="COM%d  %s%s">
        <source>COM%d  %s%s</source>
        <translation>COM%d  %s%s</translation>
    </message>
    <message id="Saved %s">
        <source>Saved %s</source>
        <translation>Gespeichert: %s</translation>
    </message>
    <message id="%s wants %s">
        <source>%s wants %s</source>
        <translation>%s verlangt %s</translation>
    </message>
    <message id=" Version %s&#xa;">
        <source> Version %s
</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="%s %s after %ld %s">
        <source>%s %s after %ld %s</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="%s&#xa;%s %s&#xa;%s&#xa;made %s&#xa;">
        <source>%s
%s %s
%s
made %s
</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="%d bytes %s&#9;">
        <source>%d bytes %s	</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="Help">
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message id="Video tools">
        <source>Video tools</source>
        <translation>Videowerkzeuge</translation>
    </message>
    <message id="Average">
        <source>Average</source>
        <translation>Mittelung</translation>
    </message>
    <message id="Pictures in the moving average of the video curve">
        <source>Pictures in the moving average of the video curve</source>
        <translation>Bilder im gleitenden Mittel der Videokurve</translation>
    </message>
    <message id="Min/max envelope">
        <source>Min/max envelope</source>
        <translation>Min/Max-Hüllkurve</translation>
    </message>
    <message id="Shade the range the signal took over the averaged pictures">
        <source>Shade the range the signal took over the averaged pictures</source>
        <translation>Den Bereich schattieren, den das Signal über die gemittelten Bilder einnahm</translation>
    </message>
    <message id="Save as reference">
        <source>Save as reference</source>
        <translation>Als Referenz speichern</translation>
    </message>
    <message id="Keep the curve shown (the average, if on) as the reference of this sensor">
        <source>Keep the curve shown (the average, if on) as the reference of this sensor</source>
        <translation>Die gezeigte Kurve (das Mittel, wenn eingeschaltet) als Referenz dieses Sensors behalten</translation>
    </message>
    <message id="Load reference">
        <source>Load reference</source>
        <translation>Referenz laden</translation>
    </message>
    <message id="Load a reference file and draw it under the live curve">
        <source>Load a reference file and draw it under the live curve</source>
        <translation>Eine Referenzdatei laden und unter der Live-Kurve zeichnen</translation>
    </message>
    <message id="Live - reference">
        <source>Live - reference</source>
        <translation>Live - Referenz</translation>
    </message>
    <message id="Show the difference live minus reference instead of the curve">
        <source>Show the difference live minus reference instead of the curve</source>
        <translation>Statt der Kurve die Differenz Live minus Referenz zeigen</translation>
    </message>
    <message id="Live minus reference">
        <source>Live minus reference</source>
        <translation>Live minus Referenz</translation>
    </message>
    <message id="Cursors">
        <source>Cursors</source>
        <translation>Cursor</translation>
    </message>
    <message id="Two cursors: drag with the mouse, or Left/Right (Shift: 10, Ctrl: next edge), Tab for the other">
        <source>Two cursors: drag with the mouse, or Left/Right (Shift: 10, Ctrl: next edge), Tab for the other</source>
        <translation>Zwei Cursor: mit der Maus ziehen, oder Links/Rechts (Umschalt: 10, Strg: nächste Kante), Tab für den anderen</translation>
    </message>
    <message id="Pixel of the cursor, and the signal there against the threshold">
        <source>Pixel of the cursor, and the signal there against the threshold</source>
        <translation>Pixel des Cursors und das Signal dort gegen die Schwelle</translation>
    </message>
    <message id="Cursor 1">
        <source>Cursor 1</source>
        <translation>Cursor 1</translation>
    </message>
    <message id="Cursor 2">
        <source>Cursor 2</source>
        <translation>Cursor 2</translation>
    </message>
    <message id="Distance">
        <source>Distance</source>
        <translation>Abstand</translation>
    </message>
    <message id="Link health">
        <source>Link health</source>
        <translation>Zustand der Leitung</translation>
    </message>
    <message id="Exchanges per second">
        <source>Exchanges per second</source>
        <translation>Austausche je Sekunde</translation>
    </message>
    <message id="Time-outs">
        <source>Time-outs</source>
        <translation>Zeitüberschreitungen</translation>
    </message>
    <message id="Replies refused">
        <source>Replies refused</source>
        <translation>Abgelehnte Antworten</translation>
    </message>
    <message id="Age of the last good reply">
        <source>Age of the last good reply</source>
        <translation>Alter der letzten guten Antwort</translation>
    </message>
    <message id="%.1f exchanges/s, %ld in all, %ld set-ups">
        <source>%.1f exchanges/s, %ld in all, %ld set-ups</source>
        <translation>%.1f Austausche/s, %ld insgesamt, %ld Einrichtungen</translation>
    </message>
    <message id="Time-outs: %ld">
        <source>Time-outs: %ld</source>
        <translation>Zeitüberschreitungen: %ld</translation>
    </message>
    <message id="Refused: %ld by length, %ld by range rule">
        <source>Refused: %ld by length, %ld by range rule</source>
        <translation>Abgelehnt: %ld nach Länge, %ld nach Bereichsregel</translation>
    </message>
    <message id="No good reply yet">
        <source>No good reply yet</source>
        <translation>Noch keine gute Antwort</translation>
    </message>
    <message id="Last good reply %.1f s ago">
        <source>Last good reply %.1f s ago</source>
        <translation>Letzte gute Antwort vor %.1f s</translation>
    </message>
    <message id="file %s&#xa;">
        <source>file %s
</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="Save support file">
        <source>Save support file</source>
        <translation>Supportdatei speichern</translation>
    </message>
    <message id="Support file not written: %s">
        <source>Support file not written: %s</source>
        <translation>Supportdatei nicht geschrieben: %s</translation>
    </message>
    <message id="Support file written: %s">
        <source>Support file written: %s</source>
        <translation>Supportdatei geschrieben: %s</translation>
    </message>
    <message id="Usage: kvormx [--com N=DEVICE]... [--simulate] [--trace FILE] [--list-ports]&#xa;              [--by-id-dir DIR] [--settings FILE] [--reset-settings]&#xa;              [--mqtt URL [--mqtt-auth FILE] [--mqtt-client-id ID]] [--every N]&#xa;              [--interval S] [--language en|de] [--exit-when-ready]&#xa;Operating tool for the K-VOR-MX CCD line sensor on a serial line.&#xa;&#xa;  --com N=DEVICE  list DEVICE as COM port N (1 to %d) and start on it; may be given&#xa;                  for several ports, each number once (the program starts on COM 1&#xa;                  if it is named, else on the first one named)&#xa;  --simulate      start a virtual sensor inside the program and connect COM 1 to it&#xa;                  (an explicit --com 1=DEVICE wins)&#xa;  --trace FILE    write every frame on the line to FILE, from the start-up on&#xa;                  (also switched on and off on the further-parameters panel)&#xa;  --list-ports    print the ports the program finds, one a line (number, device,&#xa;                  description), and end&#xa;  --by-id-dir DIR look for the stable names of USB adapters in DIR instead of&#xa;                  /dev/serial/by-id, and watch it (tests, trying out)&#xa;  --settings FILE keep the remembered port, folder and broker in FILE instead of&#xa;                  the per-user settings (tests)&#xa;  --reset-settings&#xa;                  start from the default settings; the old file is kept beside&#xa;                  it under a dated name&#xa;  --mqtt URL      publish identity, parameters, measurements, pictures and status&#xa;                  to an MQTT broker: mqtt://HOST[:PORT]/PREFIX, or mqtts:// with&#xa;                  the system's certificate authorities (also set on the&#xa;                  further-parameters panel)&#xa;  --mqtt-auth FILE&#xa;                  user name (first line) and password (second line) for the broker&#xa;  --mqtt-client-id ID&#xa;                  the name the broker knows the program by (default&#xa;                  kvormx-HOST-PORTNAME, PORTNAME the device under /dev)&#xa;  --every N       publish and record one reply (picture) in N: the Nth, the 2Nth, ...&#xa;  --interval S    every S seconds a summary of the measured value (count, min, mean,&#xa;                  max, standard deviation, out of band, first and last time) on&#xa;                  PREFIX/summary and as a &quot;summary&quot; row of the recording&#xa;  --language en|de&#xa;                  the panels, status texts and help in English or German&#xa;                  (remembered; default: the desktop's language)&#xa;  --exit-when-ready&#xa;                  print &quot;kvormx: ready&quot; and end once the main panel is shown and&#xa;                  the sensor set-up is done (start-up timing, smoke tests)&#xa;  -h, --help      show this text&#xa;  --version       show the program version&#xa;">
        <source>Usage: kvormx [--com N=DEVICE]... [--simulate] [--trace FILE] [--list-ports]
              [--by-id-dir DIR] [--settings FILE] [--reset-settings]
              [--mqtt URL [--mqtt-auth FILE] [--mqtt-client-id ID]] [--every N]
              [--interval S] [--language en|de] [--exit-when-ready]
Operating tool for the K-VOR-MX CCD line sensor on a serial line.

  --com N=DEVICE  list DEVICE as COM port N (1 to %d) and start on it; may be given
                  for several ports, each number once (the program starts on COM 1
                  if it is named, else on the first one named)
  --simulate      start a virtual sensor inside the program and connect COM 1 to it
                  (an explicit --com 1=DEVICE wins)
  --trace FILE    write every frame on the line to FILE, from the start-up on
                  (also switched on and off on the further-parameters panel)
  --list-ports    print the ports the program finds, one a line (number, device,
                  description), and end
  --by-id-dir DIR look for the stable names of USB adapters in DIR instead of
                  /dev/serial/by-id, and watch it (tests, trying out)
  --settings FILE keep the remembered port, folder and broker in FILE instead of
                  the per-user settings (tests)
  --reset-settings
                  start from the default settings; the old file is kept beside
                  it under a dated name
  --mqtt URL      publish identity, parameters, measurements, pictures and status
                  to an MQTT broker: mqtt://HOST[:PORT]/PREFIX, or mqtts:// with
                  the system's certificate authorities (also set on the
                  further-parameters panel)
  --mqtt-auth FILE
                  user name (first line) and password (second line) for the broker
  --mqtt-client-id ID
                  the name the broker knows the program by (default
                  kvormx-HOST-PORTNAME, PORTNAME the device under /dev)
  --every N       publish and record one reply (picture) in N: the Nth, the 2Nth, ...
  --interval S    every S seconds a summary of the measured value (count, min, mean,
                  max, standard deviation, out of band, first and last time) on
                  PREFIX/summary and as a "summary" row of the recording
  --language en|de
                  the panels, status texts and help in English or German
                  (remembered; default: the desktop's language)
  --exit-when-ready
                  print "kvormx: ready" and end once the main panel is shown and
                  the sensor set-up is done (start-up timing, smoke tests)
  -h, --help      show this text
  --version       show the program version
</source>
        <translation>Aufruf: kvormx [--com N=GERÄT]... [--simulate] [--trace DATEI] [--list-ports]
              [--by-id-dir ORDNER] [--settings DATEI] [--reset-settings]
              [--mqtt URL [--mqtt-auth DATEI] [--mqtt-client-id ID]] [--every N]
              [--interval S] [--language en|de] [--exit-when-ready]
Bedienprogramm für den CCD-Zeilensensor K-VOR-MX an einer seriellen Leitung.

  --com N=GERÄT   GERÄT als COM-Port N (1 bis %d) führen und darauf starten; für
                  mehrere Ports möglich, jede Nummer einmal (das Programm startet auf
                  COM 1, wenn genannt, sonst auf dem ersten genannten)
  --simulate      einen virtuellen Sensor im Programm starten und COM 1 mit ihm
                  verbinden (ein ausdrückliches --com 1=GERÄT hat Vorrang)
  --trace DATEI   jeden Rahmen auf der Leitung ab dem Start in DATEI schreiben
                  (auch im Bedienfeld der weiteren Parameter ein- und auszuschalten)
  --list-ports    die gefundenen Schnittstellen ausgeben, eine je Zeile (Nummer,
                  Gerät, Beschreibung), und enden
  --by-id-dir ORDNER
                  die festen Namen von USB-Adaptern in ORDNER statt in
                  /dev/serial/by-id suchen und ihn beobachten (Tests, Ausprobieren)
  --settings DATEI
                  gemerkte Schnittstelle, Ordner und Broker in DATEI statt in den
                  Benutzereinstellungen halten (Tests)
  --reset-settings
                  mit den Voreinstellungen beginnen; die alte Datei bleibt unter
                  einem datierten Namen daneben erhalten
  --mqtt URL      Identität, Parameter, Messungen, Bilder und Status an einen
                  MQTT-Broker senden: mqtt://HOST[:PORT]/PRÄFIX, oder mqtts:// mit
                  den Zertifizierungsstellen des Systems (auch im Bedienfeld der
                  weiteren Parameter einzustellen)
  --mqtt-auth DATEI
                  Benutzername (erste Zeile) und Passwort (zweite Zeile) für den Broker
  --mqtt-client-id ID
                  der Name, unter dem der Broker das Programm kennt (Vorgabe
                  kvormx-HOST-PORTNAME, PORTNAME das Gerät unter /dev)
  --every N       eine Antwort (ein Bild) von N senden und aufzeichnen: die N-te, 2N-te, ...
  --interval S    alle S Sekunden eine Zusammenfassung des Messwerts (Anzahl, Min,
                  Mittel, Max, Standardabweichung, außerhalb des Bands, erste und
                  letzte Zeit) auf PRÄFIX/summary und als Zeile "summary" der Aufzeichnung
  --language en|de
                  Bedienfelder, Statustexte und Hilfe auf Englisch oder Deutsch
                  (wird gemerkt; Vorgabe: die Sprache des Desktops)
  --exit-when-ready
                  "kvormx: ready" ausgeben und enden, sobald das Hauptfeld gezeigt und
                  der Sensor eingerichtet ist (Startzeit, Rauchtests)
  -h, --help      diesen Text zeigen
  --version       die Programmversion zeigen
</translation>
    </message>
    <message id="The settings file cannot be moved aside: %s">
        <source>The settings file cannot be moved aside: %s</source>
        <translation>Die Einstellungsdatei kann nicht beiseitegelegt werden: %s</translation>
    </message>
    <message id="Settings reset; the old file is kept as %s">
        <source>Settings reset; the old file is kept as %s</source>
        <translation>Einstellungen zurückgesetzt; die alte Datei bleibt als %s erhalten</translation>
    </message>
    <message id="The settings file could not be read; it is kept as %s and the defaults are used">
        <source>The settings file could not be read; it is kept as %s and the defaults are used</source>
        <translation>Die Einstellungsdatei war nicht lesbar; sie bleibt als %s erhalten, und die Voreinstellungen gelten</translation>
    </message>
    <message id="Options (before or after the command):&#xa;  --port COM|DEVICE  the sensor's port: a COM number from 1 to 32 (&quot;3&quot; or &quot;COM3&quot;;&#xa;                     COM n is /dev/ttyS&lt;n-1&gt;) or the path of a serial device&#xa;                     (/dev/ttyUSB0, /dev/serial/by-id/...); default COM 1&#xa;  --simulate         talk to a virtual sensor started inside the tool (not with --port)&#xa;  --timeout S        seconds each reply may take, 0.01 to 3600 (default 1.5; the&#xa;                     firmware text gets 0.5 s more)&#xa;  --trace FILE       write every frame sent and received to FILE&#xa;  --language en|de   messages and help in English or German (remembered; default: the&#xa;                     desktop's language); data, CSV, JSON and MQTT stay as they are&#xa;  --reset-settings   start the per-user settings (those kvormx keeps too) from the&#xa;                     defaults; the old file is kept beside it under a dated name.&#xa;                     Without a command, that is all&#xa;  --settings FILE    the settings file instead of the per-user one (tests)&#xa;  --help, -h         this text; after a command, that command's text&#xa;  --version          the program version&#xa;">
        <source>Options (before or after the command):
  --port COM|DEVICE  the sensor's port: a COM number from 1 to 32 ("3" or "COM3";
                     COM n is /dev/ttyS&lt;n-1&gt;) or the path of a serial device
                     (/dev/ttyUSB0, /dev/serial/by-id/...); default COM 1
  --simulate         talk to a virtual sensor started inside the tool (not with --port)
  --timeout S        seconds each reply may take, 0.01 to 3600 (default 1.5; the
                     firmware text gets 0.5 s more)
  --trace FILE       write every frame sent and received to FILE
  --language en|de   messages and help in English or German (remembered; default: the
                     desktop's language); data, CSV, JSON and MQTT stay as they are
  --reset-settings   start the per-user settings (those kvormx keeps too) from the
                     defaults; the old file is kept beside it under a dated name.
                     Without a command, that is all
  --settings FILE    the settings file instead of the per-user one (tests)
  --help, -h         this text; after a command, that command's text
  --version          the program version
</source>
        <translation>Optionen (vor oder nach dem Befehl):
  --port COM|GERÄT    die Schnittstelle des Sensors: eine COM-Nummer von 1 bis 32 ("3"
                      oder "COM3"; COM n ist /dev/ttyS&lt;n-1&gt;) oder der Pfad eines seriellen
                      Geräts (/dev/ttyUSB0, /dev/serial/by-id/...); Vorgabe COM 1
  --simulate          mit einem im Werkzeug gestarteten virtuellen Sensor sprechen
                      (nicht mit --port)
  --timeout S         Sekunden, die jede Antwort dauern darf, 0.01 bis 3600 (Vorgabe 1.5;
                      der Firmwaretext bekommt 0.5 s mehr)
  --trace DATEI       jeden gesendeten und empfangenen Rahmen in DATEI schreiben
  --language en|de    Meldungen und Hilfe auf Englisch oder Deutsch (wird gemerkt;
                      Vorgabe: die Sprache des Desktops); Daten, CSV, JSON und MQTT
                      bleiben, wie sie sind
  --reset-settings    die Benutzereinstellungen (auch die von kvormx) mit den
                      Voreinstellungen beginnen; die alte Datei bleibt unter einem
                      datierten Namen daneben erhalten. Ohne Befehl ist das alles
  --settings DATEI    die Einstellungsdatei statt der des Benutzers (Tests)
  --help, -h          dieser Text; nach einem Befehl der Text des Befehls
  --version           die Programmversion
</translation>
    </message>
    <message id="[--count N | --duration S] [--csv | --json] [--every N] [--interval S] [--average N]&#xa;       [--keep-going]&#xa;       [--mqtt URL [--mqtt-auth FILE] [--mqtt-client-id ID]]">
        <source>[--count N | --duration S] [--csv | --json] [--every N] [--interval S] [--average N]
       [--keep-going]
       [--mqtt URL [--mqtt-auth FILE] [--mqtt-client-id ID]]</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="Video mode: reads the sensor's RAM set and its hardware words, then, picture by&#xa;picture, a measurement request and the 256 video samples (four blocks of 64 on board&#xa;type 0, one block of 256 on other boards), as kvormx's video mode does. Prints one&#xa;line per picture: the columns of watch, then first_pixel, pixel_step and sample_0 ..&#xa;sample_255 (0 to 1023).&#xa;  --count N     end after N pictures&#xa;  --duration S  end with the first picture after S seconds&#xa;  --csv         comma-separated, with a header line of the column names&#xa;  --json        one JSON object per line, the samples as the array &quot;samples&quot;&#xa;  --every N     print (and publish) one picture in N&#xa;  --interval S  every S seconds a summary of the measured value (see watch --help)&#xa;  --average N   the samples of each line are the moving average of the latest N&#xa;                pictures (1, 2, 4, 8 or 16; fewer while the first come), each&#xa;                rounded to the nearest whole number; the other columns are the&#xa;                newest picture's&#xa;  --keep-going  run as a service until SIGTERM or SIGINT (see watch --help): a&#xa;                missing measurement or block is counted and the loop goes on&#xa;  --mqtt URL    also publish to an MQTT broker: mqtt://HOST[:PORT]/PREFIX (or&#xa;                mqtts://; ports 1883 and 8883, prefix &quot;kvormx&quot; by default): the&#xa;                identity and parameters (retained), a message per picture on&#xa;                PREFIX/video, and PREFIX/status (&quot;online&quot;, the outcome; &quot;offline&quot;&#xa;                at the end or, as the last will, when the tool dies)&#xa;  --mqtt-auth FILE  user name (first line) and password (second line) for the&#xa;                broker; no password is ever taken on the command line&#xa;  --mqtt-client-id ID  the name the broker knows the tool by (default&#xa;                kvormx-HOST-PORTNAME)&#xa;A bad URL or an unreadable FILE is a usage error before the port is opened. The&#xa;line never waits for the broker: messages queue while it is away, and the&#xa;broker's state (connected, lost, refused) is a line on standard error each time&#xa;it changes. At the end, what is queued is sent within 2 s; a broker that was never&#xa;reached ends the tool with status 1 (not with --keep-going).&#xa;Runs until Ctrl-C (or SIGTERM) otherwise, which ends it after the current picture,&#xa;with status 0 and the counters on standard error. Without --keep-going a measurement&#xa;or a block that does not come within the time-out ends it with status 1, without a&#xa;line for that picture.&#xa;">
        <source>Video mode: reads the sensor's RAM set and its hardware words, then, picture by
picture, a measurement request and the 256 video samples (four blocks of 64 on board
type 0, one block of 256 on other boards), as kvormx's video mode does. Prints one
line per picture: the columns of watch, then first_pixel, pixel_step and sample_0 ..
sample_255 (0 to 1023).
  --count N     end after N pictures
  --duration S  end with the first picture after S seconds
  --csv         comma-separated, with a header line of the column names
  --json        one JSON object per line, the samples as the array "samples"
  --every N     print (and publish) one picture in N
  --interval S  every S seconds a summary of the measured value (see watch --help)
  --average N   the samples of each line are the moving average of the latest N
                pictures (1, 2, 4, 8 or 16; fewer while the first come), each
                rounded to the nearest whole number; the other columns are the
                newest picture's
  --keep-going  run as a service until SIGTERM or SIGINT (see watch --help): a
                missing measurement or block is counted and the loop goes on
  --mqtt URL    also publish to an MQTT broker: mqtt://HOST[:PORT]/PREFIX (or
                mqtts://; ports 1883 and 8883, prefix "kvormx" by default): the
                identity and parameters (retained), a message per picture on
                PREFIX/video, and PREFIX/status ("online", the outcome; "offline"
                at the end or, as the last will, when the tool dies)
  --mqtt-auth FILE  user name (first line) and password (second line) for the
                broker; no password is ever taken on the command line
  --mqtt-client-id ID  the name the broker knows the tool by (default
                kvormx-HOST-PORTNAME)
A bad URL or an unreadable FILE is a usage error before the port is opened. The
line never waits for the broker: messages queue while it is away, and the
broker's state (connected, lost, refused) is a line on standard error each time
it changes. At the end, what is queued is sent within 2 s; a broker that was never
reached ends the tool with status 1 (not with --keep-going).
Runs until Ctrl-C (or SIGTERM) otherwise, which ends it after the current picture,
with status 0 and the counters on standard error. Without --keep-going a measurement
or a block that does not come within the time-out ends it with status 1, without a
line for that picture.
</source>
        <translation>Videobetrieb: liest den RAM-Satz des Sensors und seine Hardwarewörter, dann Bild für
Bild eine Messanforderung und die 256 Videowerte (vier Blöcke zu 64 auf Platinentyp 0,
ein Block zu 256 auf anderen Platinen), wie der Videobetrieb von kvormx. Gibt eine
Zeile je Bild aus: die Spalten von watch, dann first_pixel, pixel_step und sample_0 ..
sample_255 (0 bis 1023).
  --count N     nach N Bildern enden
  --duration S  mit dem ersten Bild nach S Sekunden enden
  --csv         durch Kommas getrennt, mit einer Kopfzeile der Spaltennamen
  --json        ein JSON-Objekt je Zeile, die Werte als Feld "samples"
  --every N     ein Bild von N ausgeben (und senden)
  --interval S  alle S Sekunden eine Zusammenfassung des Messwerts (siehe watch --help)
  --average N   die Werte jeder Zeile sind das gleitende Mittel der letzten N Bilder
                (1, 2, 4, 8 oder 16; weniger, solange die ersten kommen), jeder auf
                die nächste ganze Zahl gerundet; die übrigen Spalten sind die des
                neuesten Bildes
  --keep-going  als Dienst laufen bis SIGTERM oder SIGINT (siehe watch --help): eine
                ausbleibende Messung oder ein ausbleibender Block wird gezählt und die
                Schleife geht weiter
  --mqtt URL    zusätzlich an einen MQTT-Broker senden: mqtt://HOST[:PORT]/PRÄFIX (oder
                mqtts://; Ports 1883 und 8883, Präfix "kvormx" als Vorgabe): Identität
                und Parameter (gehalten), eine Nachricht je Bild auf PRÄFIX/video, und
                PRÄFIX/status ("online", das Ergebnis; "offline" am Ende oder, als
                letzter Wille, wenn das Werkzeug stirbt)
  --mqtt-auth FILE  Benutzername (erste Zeile) und Passwort (zweite Zeile) für den
                Broker; ein Passwort wird nie auf der Befehlszeile genommen
  --mqtt-client-id ID  der Name, unter dem der Broker das Werkzeug kennt (Vorgabe
                kvormx-HOST-PORTNAME)
Eine ungültige URL oder eine unlesbare FILE ist ein Aufruffehler, bevor die
Schnittstelle geöffnet wird. Die Leitung wartet nie auf den Broker: Nachrichten
warten in einer Schlange, solange er fort ist, und jeder Wechsel seines Zustands
(verbunden, verloren, abgelehnt) ist eine Zeile auf der Standardfehlerausgabe. Am
Ende wird das Wartende binnen 2 s gesendet; ein nie erreichter Broker beendet das
Werkzeug mit Status 1 (nicht mit --keep-going).
Läuft sonst bis Strg-C (oder SIGTERM), das es nach dem laufenden Bild beendet, mit
Status 0 und den Zählern auf der Standardfehlerausgabe. Ohne --keep-going beendet eine
Messung oder ein Block, der nicht innerhalb der Zeitgrenze kommt, es mit Status 1,
ohne Zeile für dieses Bild.
</translation>
    </message>
    <message id="--settings wants a regular file, not '%s'">
        <source>--settings wants a regular file, not '%s'</source>
        <translation>--settings verlangt eine gewöhnliche Datei, nicht '%s'</translation>
    </message>
    <message id="the settings could not be reset: %s">
        <source>the settings could not be reset: %s</source>
        <translation>die Einstellungen konnten nicht zurückgesetzt werden: %s</translation>
    </message>
    <message id="settings reset to the defaults; the old file is kept as %s">
        <source>settings reset to the defaults; the old file is kept as %s</source>
        <translation>Einstellungen auf die Voreinstellungen zurückgesetzt; die alte Datei bleibt als %s erhalten</translation>
    </message>
    <message id="settings reset to the defaults (there was no settings file: %s)">
        <source>settings reset to the defaults (there was no settings file: %s)</source>
        <translation>Einstellungen auf die Voreinstellungen zurückgesetzt (es gab keine Einstellungsdatei: %s)</translation>
    </message>
    <message id="no reply">
        <source>no reply</source>
        <translation>keine Antwort</translation>
    </message>
    <message id="last reply %.1f s ago">
        <source>last reply %.1f s ago</source>
        <translation>letzte Antwort vor %.1f s</translation>
    </message>
    <message id="replies %ld, missed %ld, set-ups %ld, dropped %lu; line: %ld exchanges (%.1f/s), %ld time-outs, %ld refused by length, %ld by range rule, %s">
        <source>replies %ld, missed %ld, set-ups %ld, dropped %lu; line: %ld exchanges (%.1f/s), %ld time-outs, %ld refused by length, %ld by range rule, %s</source>
        <translation>Antworten %ld, ausgeblieben %ld, Einrichtungen %ld, verworfen %lu; Leitung: %ld Austausche (%.1f/s), %ld Zeitüberschreitungen, %ld nach Länge abgelehnt, %ld nach Bereichsregel, %s</translation>
    </message>
    <message id="support: the remembered reference %s is left out: %s">
        <source>support: the remembered reference %s is left out: %s</source>
        <translation>support: die gemerkte Referenz %s bleibt draußen: %s</translation>
    </message>
    <message id="port %s&#xa;timeout %g s&#xa;settings %s&#xa;">
        <source>port %s
timeout %g s
settings %s
</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="--average wants 1, 2, 4, 8 or 16">
        <source>--average wants 1, 2, 4, 8 or 16</source>
        <translation>--average verlangt 1, 2, 4, 8 oder 16</translation>
    </message>
    <message id="%d: pixel %d%s, signal %d %s %d">
        <source>%d: pixel %d%s, signal %d %s %d</source>
        <translation>%d: Pixel %d%s, Signal %d %s %d</translation>
    </message>
    <message id="Distance %d pixels">
        <source>Distance %d pixels</source>
        <translation>Abstand %d Pixel</translation>
    </message>
    <message id="Reference not loaded: %s">
        <source>Reference not loaded: %s</source>
        <translation>Referenz nicht geladen: %s</translation>
    </message>
    <message id="Reference refused: %s">
        <source>Reference refused: %s</source>
        <translation>Referenz abgelehnt: %s</translation>
    </message>
    <message id="Reference loaded: %s">
        <source>Reference loaded: %s</source>
        <translation>Referenz geladen: %s</translation>
    </message>
    <message id="No reference loaded: the difference needs one.">
        <source>No reference loaded: the difference needs one.</source>
        <translation>Keine Referenz geladen: die Differenz braucht eine.</translation>
    </message>
    <message id="No video picture yet: start Video first.">
        <source>No video picture yet: start Video first.</source>
        <translation>Noch kein Videobild: zuerst Video starten.</translation>
    </message>
    <message id="Reference not saved: %s">
        <source>Reference not saved: %s</source>
        <translation>Referenz nicht gespeichert: %s</translation>
    </message>
    <message id="Reference saved (%d pictures averaged): %s">
        <source>Reference saved (%d pictures averaged): %s</source>
        <translation>Referenz gespeichert (%d Bilder gemittelt): %s</translation>
    </message>
    <message id="') out[n++] = '">
        <source>') out[n++] = '</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="' &amp;&amp; s[1] == '">
        <source>' &amp;&amp; s[1] == '</source>
        <translation type="unfinished"></translation>
    </message>
    <message id="no valid column %s">
        <source>no valid column %s</source>
        <translation>keine gültige Spalte %s</translation>
    </message>
    <message id="not a reference file (no picture row)">
        <source>not a reference file (no picture row)</source>
        <translation>keine Referenzdatei (keine Bildzeile)</translation>
    </message>
    <message id="The reference was taken on a line of %d pixels, this sensor has %d.">
        <source>The reference was taken on a line of %d pixels, this sensor has %d.</source>
        <translation>Die Referenz wurde an einer Zeile mit %d Pixeln aufgenommen, dieser Sensor hat %d.</translation>
    </message>
    <message id="The reference starts at pixel %d, the video at pixel %d.">
        <source>The reference starts at pixel %d, the video at pixel %d.</source>
        <translation>Die Referenz beginnt bei Pixel %d, das Video bei Pixel %d.</translation>
    </message>
    <message id="Support file of the K-VOR-MX operating tool.&#xa;&#xa;version.txt      the program, its version, the platform and when this file was made&#xa;identity.json    the sensor as the program identified it (the port's device included)&#xa;parameters.json  the parameter set the program holds, with the words' names&#xa;parameters.dat   the same set as a parameter file (kvormx and kvormx-cli load it)&#xa;health.json      the line's counters: exchanges, replies, time-outs, replies refused, set-ups&#xa;frames.txt       the last events on the line, oldest first: time, seconds, direction, command,&#xa;                 the words decoded, the bytes in hex&#xa;reference.csv    the reference signal in use, if there is one: the picture (or average) with the&#xa;                 sensor's identity and the parameters it was taken with (the reference file)&#xa;settings.txt     the settings in use, if the caller gives them (never a password)&#xa;options.txt      kvormx-cli's port and time-out, if it made the file&#xa;">
        <source>Support file of the K-VOR-MX operating tool.

version.txt      the program, its version, the platform and when this file was made
identity.json    the sensor as the program identified it (the port's device included)
parameters.json  the parameter set the program holds, with the words' names
parameters.dat   the same set as a parameter file (kvormx and kvormx-cli load it)
health.json      the line's counters: exchanges, replies, time-outs, replies refused, set-ups
frames.txt       the last events on the line, oldest first: time, seconds, direction, command,
                 the words decoded, the bytes in hex
reference.csv    the reference signal in use, if there is one: the picture (or average) with the
                 sensor's identity and the parameters it was taken with (the reference file)
settings.txt     the settings in use, if the caller gives them (never a password)
options.txt      kvormx-cli's port and time-out, if it made the file
</source>
        <translation type="unfinished"></translation>
    </message>
    <message id=" (edge)">
        <source> (edge)</source>
        <translation> (Kante)</translation>
    </message>
    <message id="History">
        <source>History</source>
        <translation>Verlauf</translation>
    </message>
    <message id="Hold the chart and show the whole run so far: wheel to zoom, drag to pan">
        <source>Hold the chart and show the whole run so far: wheel to zoom, drag to pan</source>
        <translation>Diagramm anhalten und den ganzen bisherigen Lauf zeigen: Mausrad zoomt, Ziehen verschiebt</translation>
    </message>
    <message id="Live">
        <source>Live</source>
        <translation>Live</translation>
    </message>
    <message id="Back to the chart of the latest replies">
        <source>Back to the chart of the latest replies</source>
        <translation>Zurück zum Diagramm der neuesten Antworten</translation>
    </message>
    <message id="Back to live">
        <source>Back to live</source>
        <translation>Zurück zu live</translation>
    </message>
    <message id="Position (pixel)">
        <source>Position (pixel)</source>
        <translation>Position (Pixel)</translation>
    </message>
    <message id="Signal (counts of 1023)">
        <source>Signal (counts of 1023)</source>
        <translation>Signal (Stufen von 1023)</translation>
    </message>
    <message id="Time since Run (s)">
        <source>Time since Run (s)</source>
        <translation>Zeit seit Start (s)</translation>
    </message>
    <message id="History of the run">
        <source>History of the run</source>
        <translation>Verlauf des Laufs</translation>
    </message>
    <message id="Value (mm)">
        <source>Value (mm)</source>
        <translation>Wert (mm)</translation>
    </message>
    <message id="Show millimetres">
        <source>Show millimetres</source>
        <translation>Millimeter zeigen</translation>
    </message>
    <message id="Numbers, axes and the bar graph in millimetres instead of pixels">
        <source>Numbers, axes and the bar graph in millimetres instead of pixels</source>
        <translation>Zahlen, Achsen und Balkengrafik in Millimetern statt Pixeln</translation>
    </message>
    <message id="No millimetre scale: pixels only">
        <source>No millimetre scale: pixels only</source>
        <translation>Kein Millimetermaßstab: nur Pixel</translation>
    </message>
    <message id="Millimetre scale">
        <source>Millimetre scale</source>
        <translation>Millimetermaßstab</translation>
    </message>
    <message id="Statistics of the run">
        <source>Statistics of the run</source>
        <translation>Statistik des Laufs</translation>
    </message>
    <message id="Count">
        <source>Count</source>
        <translation>Anzahl</translation>
    </message>
    <message id="Mean">
        <source>Mean</source>
        <translation>Mittelwert</translation>
    </message>
    <message id="Std. dev.">
        <source>Std. dev.</source>
        <translation>Std.-abw.</translation>
    </message>
    <message id="Standard deviation">
        <source>Standard deviation</source>
        <translation>Standardabweichung</translation>
    </message>
    <message id="Minimum of the run">
        <source>Minimum of the run</source>
        <translation>Minimum des Laufs</translation>
    </message>
    <message id="Maximum of the run">
        <source>Maximum of the run</source>
        <translation>Maximum des Laufs</translation>
    </message>
    <message id="Out of band">
        <source>Out of band</source>
        <translation>Außerhalb des Bands</translation>
    </message>
    <message id="Share out">
        <source>Share out</source>
        <translation>Anteil außerhalb</translation>
    </message>
    <message id="Out of band share">
        <source>Out of band share</source>
        <translation>Anteil außerhalb des Bands</translation>
    </message>
    <message id="Cp">
        <source>Cp</source>
        <translation>Cp</translation>
    </message>
    <message id="Cpk">
        <source>Cpk</source>
        <translation>Cpk</translation>
    </message>
    <message id="Histogram of the measured value">
        <source>Histogram of the measured value</source>
        <translation>Histogramm des Messwerts</translation>
    </message>
    <message id="Reset statistics">
        <source>Reset statistics</source>
        <translation>Statistik zurücksetzen</translation>
    </message>
    <message id="Start the statistics afresh (Run does so too)">
        <source>Start the statistics afresh (Run does so too)</source>
        <translation>Statistik neu beginnen (Start tut das auch)</translation>
    </message>
    <message id="Mode">
        <source>Mode</source>
        <translation>Betriebsart</translation>
    </message>
    <message id="Stopped">
        <source>Stopped</source>
        <translation>Gestoppt</translation>
    </message>
    <message id="Millimetre scale: a gauge of known width between the two edges">
        <source>Millimetre scale: a gauge of known width between the two edges</source>
        <translation>Millimetermaßstab: ein Prüfmaß bekannter Breite zwischen den beiden Kanten</translation>
    </message>
    <message id="Gauge width (mm)">
        <source>Gauge width (mm)</source>
        <translation>Breite des Prüfmaßes (mm)</translation>
    </message>
    <message id="The gauge's width in millimetres, as its certificate says">
        <source>The gauge's width in millimetres, as its certificate says</source>
        <translation>Die Breite des Prüfmaßes in Millimetern, wie sein Zertifikat sie angibt</translation>
    </message>
    <message id="Gauge width in millimetres">
        <source>Gauge width in millimetres</source>
        <translation>Breite des Prüfmaßes in Millimetern</translation>
    </message>
    <message id="Offset (mm)">
        <source>Offset (mm)</source>
        <translation>Versatz (mm)</translation>
    </message>
    <message id="Millimetres added to every position (where pixel 0 lies); empty: 0">
        <source>Millimetres added to every position (where pixel 0 lies); empty: 0</source>
        <translation>Millimeter, die zu jeder Position addiert werden (wo Pixel 0 liegt); leer: 0</translation>
    </message>
    <message id="Position offset in millimetres">
        <source>Position offset in millimetres</source>
        <translation>Positionsversatz in Millimetern</translation>
    </message>
    <message id="Calibrate from the last run">
        <source>Calibrate from the last run</source>
        <translation>Aus dem letzten Lauf kalibrieren</translation>
    </message>
    <message id="Takes the mean distance of the two edges over the last run as the gauge width">
        <source>Takes the mean distance of the two edges over the last run as the gauge width</source>
        <translation>Nimmt den mittleren Abstand der beiden Kanten im letzten Lauf als Breite des Prüfmaßes</translation>
    </message>
    <message id="Run with the gauge in view, Stop, enter its width and calibrate.">
        <source>Run with the gauge in view, Stop, enter its width and calibrate.</source>
        <translation>Mit dem Prüfmaß im Blick starten, stoppen, seine Breite eingeben und kalibrieren.</translation>
    </message>
    <message id="Calibration">
        <source>Calibration</source>
        <translation>Kalibrierung</translation>
    </message>
    <message id="Scale of the sensor type">
        <source>Scale of the sensor type</source>
        <translation>Maßstab des Sensortyps</translation>
    </message>
    <message id="Forget this sensor's calibration: its working range over its line length again">
        <source>Forget this sensor's calibration: its working range over its line length again</source>
        <translation>Die Kalibrierung dieses Sensors vergessen: wieder sein Arbeitsbereich über seine Zeilenlänge</translation>
    </message>
    <message id="Calibration: enter the gauge's width in millimetres, a number above 0.">
        <source>Calibration: enter the gauge's width in millimetres, a number above 0.</source>
        <translation>Kalibrierung: die Breite des Prüfmaßes in Millimetern eingeben, eine Zahl über 0.</translation>
    </message>
    <message id="Calibration: the offset is a number of millimetres, or empty.">
        <source>Calibration: the offset is a number of millimetres, or empty.</source>
        <translation>Kalibrierung: der Versatz ist eine Zahl von Millimetern oder leer.</translation>
    </message>
    <message id="Calibration: no run saw two edges yet. Run with the gauge in view, Stop, then calibrate.">
        <source>Calibration: no run saw two edges yet. Run with the gauge in view, Stop, then calibrate.</source>
        <translation>Kalibrierung: noch kein Lauf sah zwei Kanten. Mit dem Prüfmaß im Blick starten, stoppen, dann kalibrieren.</translation>
    </message>
    <message id="Calibrated: %s mm per pixel, the gauge over %s pixels (%ld replies)%s">
        <source>Calibrated: %s mm per pixel, the gauge over %s pixels (%ld replies)%s</source>
        <translation>Kalibriert: %s mm je Pixel, das Prüfmaß über %s Pixel (%ld Antworten)%s</translation>
    </message>
    <message id="; kept for this sensor.">
        <source>; kept for this sensor.</source>
        <translation>; für diesen Sensor gespeichert.</translation>
    </message>
    <message id=", not kept: settings not written.">
        <source>, not kept: settings not written.</source>
        <translation>, nicht gespeichert: Einstellungen nicht geschrieben.</translation>
    </message>
    <message id="The sensor type's millimetre scale again; the calibration is forgotten.">
        <source>The sensor type's millimetre scale again; the calibration is forgotten.</source>
        <translation>Wieder der Millimetermaßstab des Sensortyps; die Kalibrierung ist vergessen.</translation>
    </message>
    <message id="The calibration is forgotten; this sensor type has no millimetre scale: pixels only.">
        <source>The calibration is forgotten; this sensor type has no millimetre scale: pixels only.</source>
        <translation>Die Kalibrierung ist vergessen; dieser Sensortyp hat keinen Millimetermaßstab: nur Pixel.</translation>
    </message>
    <message id="Summary not written: %s">
        <source>Summary not written: %s</source>
        <translation>Zusammenfassung nicht geschrieben: %s</translation>
    </message>
    <message id="Run mode: reads the sensor's RAM set and its hardware words (its millimetre scale),&#xa;then sends measurement requests back to back&#xa;at the line's pace, each carrying the parameter set with the sensor's own teach value&#xa;and tolerance from the reply before, and prints one line per reply:&#xa;  time        UTC time the reply arrived, ISO 8601 with milliseconds&#xa;  seconds     seconds since the first request&#xa;  seq         replies of this run, from 1 (a gap is a reply that did not come)&#xa;  value       measured value, pixels&#xa;  left_edge   left edge, pixels (0: none)&#xa;  right_edge  right edge, pixels (0: none)&#xa;  edges       edge count&#xa;  teach       teach value, pixels&#xa;  tolerance   tolerance either side of the teach value, pixels&#xa;  maximum     maximum since the last reset&#xa;  minimum     minimum since the last reset (1023: none yet)&#xa;  in_band     1 when the value lies within teach value +- tolerance (limits 1 and&#xa;              1023), 0 otherwise&#xa;  port        the device of the port&#xa;  value_mm, left_edge_mm, right_edge_mm, width_mm&#xa;              the same in millimetres, where the sensor's type has a scale&#xa;              (else -; width_mm is right_edge_mm - left_edge_mm)&#xa;Columns are separated by a space, without a header line.&#xa;  --count N     end after N replies&#xa;  --duration S  end with the first reply after S seconds&#xa;  --csv         comma-separated, with a header line of the column names&#xa;  --json        one JSON object per line (in_band true or false)&#xa;  --every N     print (and publish) one reply in N: the Nth, the 2Nth, ...&#xa;  --interval S  every S seconds a summary of the measured value as a line of its&#xa;                own: &quot;summary&quot;, the first and last time, count, min, mean, max,&#xa;                standard deviation, out-of-band count and port (with --json an object&#xa;                with those names), also published on PREFIX/summary&#xa;  --keep-going  run as a service until SIGTERM or SIGINT, whatever the sensor and&#xa;                the line do: a missing reply is counted and the loop goes on; a&#xa;                sensor that stops answering is tried again every 1 to 10 s and set&#xa;                up anew (line check, identification, parameter read) when it&#xa;                answers; a port that goes away is awaited by its name and set up&#xa;                again when it returns. Each change of state is a line on standard&#xa;                error with a syslog priority (&quot;&lt;4&gt;&quot;), and the counters (replies,&#xa;                missed, set-ups, messages dropped) are printed at the end and&#xa;                published on PREFIX/counters. Under systemd (Type=notify) it reports&#xa;                ready once the sensor is identified, its state, and feeds the watchdog.&#xa;  --mqtt URL    also publish to an MQTT broker: mqtt://HOST[:PORT]/PREFIX (or&#xa;                mqtts://; ports 1883 and 8883, prefix &quot;kvormx&quot; by default): the&#xa;                identity and parameters (retained), a message per reply on&#xa;                PREFIX/measurement, and PREFIX/status (&quot;online&quot;, the outcome; &quot;offline&quot;&#xa;                at the end or, as the last will, when the tool dies)&#xa;  --mqtt-auth FILE  user name (first line) and password (second line) for the&#xa;                broker; no password is ever taken on the command line&#xa;  --mqtt-client-id ID  the name the broker knows the tool by (default&#xa;                kvormx-HOST-PORTNAME, PORTNAME the device under /dev)&#xa;A bad URL or an unreadable FILE is a usage error before the port is opened. The&#xa;line never waits for the broker: messages queue while it is away, and the&#xa;broker's state (connected, lost, refused) is a line on standard error each time&#xa;it changes. At the end, what is queued is sent within 2 s; a broker that was never&#xa;reached ends the tool with status 1 (not with --keep-going).&#xa;Runs until Ctrl-C (or SIGTERM) otherwise, which ends it after the current exchange,&#xa;with status 0 and the counters on standard error. Without --keep-going a reply that&#xa;does not come within the time-out ends it with status 1.&#xa;">
        <source>Run mode: reads the sensor's RAM set and its hardware words (its millimetre scale),
then sends measurement requests back to back
at the line's pace, each carrying the parameter set with the sensor's own teach value
and tolerance from the reply before, and prints one line per reply:
  time        UTC time the reply arrived, ISO 8601 with milliseconds
  seconds     seconds since the first request
  seq         replies of this run, from 1 (a gap is a reply that did not come)
  value       measured value, pixels
  left_edge   left edge, pixels (0: none)
  right_edge  right edge, pixels (0: none)
  edges       edge count
  teach       teach value, pixels
  tolerance   tolerance either side of the teach value, pixels
  maximum     maximum since the last reset
  minimum     minimum since the last reset (1023: none yet)
  in_band     1 when the value lies within teach value +- tolerance (limits 1 and
              1023), 0 otherwise
  port        the device of the port
  value_mm, left_edge_mm, right_edge_mm, width_mm
              the same in millimetres, where the sensor's type has a scale
              (else -; width_mm is right_edge_mm - left_edge_mm)
Columns are separated by a space, without a header line.
  --count N     end after N replies
  --duration S  end with the first reply after S seconds
  --csv         comma-separated, with a header line of the column names
  --json        one JSON object per line (in_band true or false)
  --every N     print (and publish) one reply in N: the Nth, the 2Nth, ...
  --interval S  every S seconds a summary of the measured value as a line of its
                own: "summary", the first and last time, count, min, mean, max,
                standard deviation, out-of-band count and port (with --json an object
                with those names), also published on PREFIX/summary
  --keep-going  run as a service until SIGTERM or SIGINT, whatever the sensor and
                the line do: a missing reply is counted and the loop goes on; a
                sensor that stops answering is tried again every 1 to 10 s and set
                up anew (line check, identification, parameter read) when it
                answers; a port that goes away is awaited by its name and set up
                again when it returns. Each change of state is a line on standard
                error with a syslog priority ("&lt;4&gt;"), and the counters (replies,
                missed, set-ups, messages dropped) are printed at the end and
                published on PREFIX/counters. Under systemd (Type=notify) it reports
                ready once the sensor is identified, its state, and feeds the watchdog.
  --mqtt URL    also publish to an MQTT broker: mqtt://HOST[:PORT]/PREFIX (or
                mqtts://; ports 1883 and 8883, prefix "kvormx" by default): the
                identity and parameters (retained), a message per reply on
                PREFIX/measurement, and PREFIX/status ("online", the outcome; "offline"
                at the end or, as the last will, when the tool dies)
  --mqtt-auth FILE  user name (first line) and password (second line) for the
                broker; no password is ever taken on the command line
  --mqtt-client-id ID  the name the broker knows the tool by (default
                kvormx-HOST-PORTNAME, PORTNAME the device under /dev)
A bad URL or an unreadable FILE is a usage error before the port is opened. The
line never waits for the broker: messages queue while it is away, and the
broker's state (connected, lost, refused) is a line on standard error each time
it changes. At the end, what is queued is sent within 2 s; a broker that was never
reached ends the tool with status 1 (not with --keep-going).
Runs until Ctrl-C (or SIGTERM) otherwise, which ends it after the current exchange,
with status 0 and the counters on standard error. Without --keep-going a reply that
does not come within the time-out ends it with status 1.
</source>
        <translation>Messbetrieb: liest den RAM-Satz des Sensors und seine Hardwarewörter (seinen
Millimetermaßstab), sendet dann Messanforderungen Schlag auf
Schlag im Takt der Leitung, jede mit dem Parametersatz samt dem eigenen Teachwert und
der Toleranz des Sensors aus der Antwort davor, und gibt eine Zeile je Antwort aus:
  time        UTC-Zeit des Eintreffens der Antwort, ISO 8601 mit Millisekunden
  seconds     Sekunden seit der ersten Anforderung
  seq         Antworten dieses Laufs, ab 1 (eine Lücke ist eine ausgebliebene Antwort)
  value       Messwert, Pixel
  left_edge   linke Kante, Pixel (0: keine)
  right_edge  rechte Kante, Pixel (0: keine)
  edges       Anzahl der Kanten
  teach       Teachwert, Pixel
  tolerance   Toleranz zu beiden Seiten des Teachwerts, Pixel
  maximum     Maximum seit dem letzten Zurücksetzen
  minimum     Minimum seit dem letzten Zurücksetzen (1023: noch keins)
  in_band     1, wenn der Wert innerhalb Teachwert +- Toleranz liegt (Grenzen 1 und
              1023), sonst 0
  port        das Gerät der Schnittstelle
  value_mm, left_edge_mm, right_edge_mm, width_mm
              dasselbe in Millimetern, wo der Sensortyp einen Maßstab hat
              (sonst -; width_mm ist right_edge_mm - left_edge_mm)
Spalten durch ein Leerzeichen getrennt, ohne Kopfzeile.
  --count N     nach N Antworten enden
  --duration S  mit der ersten Antwort nach S Sekunden enden
  --csv         durch Kommas getrennt, mit einer Kopfzeile der Spaltennamen
  --json        ein JSON-Objekt je Zeile (in_band true oder false)
  --every N     eine Antwort von N ausgeben (und senden): die N-te, 2N-te, ...
  --interval S  alle S Sekunden eine Zusammenfassung des Messwerts als eigene Zeile:
                "summary", erste und letzte Zeit, Anzahl, Min, Mittel, Max,
                Standardabweichung, Anzahl außerhalb des Bands und Port (mit --json
                ein Objekt mit diesen Namen), auch auf PRÄFIX/summary gesendet
  --keep-going  als Dienst laufen bis SIGTERM oder SIGINT, was auch immer Sensor und
                Leitung tun: eine ausbleibende Antwort wird gezählt und die Schleife
                geht weiter; ein Sensor, der nicht mehr antwortet, wird alle 1 bis 10 s
                erneut versucht und neu eingerichtet (Leitungsprüfung, Erkennung,
                Parameterlesen), wenn er antwortet; auf eine verschwundene
                Schnittstelle wird unter ihrem Namen gewartet, und sie wird neu
                eingerichtet, wenn sie zurückkehrt. Jeder Zustandswechsel ist eine Zeile
                auf der Standardfehlerausgabe mit einer Syslog-Priorität ("&lt;4&gt;"), und die
                Zähler (Antworten, ausgeblieben, Einrichtungen, verworfene Nachrichten)
                werden am Ende ausgegeben und auf PRÄFIX/counters gesendet. Unter systemd
                (Type=notify) meldet es Bereitschaft, sobald der Sensor erkannt ist,
                seinen Zustand, und bedient den Watchdog.
  --mqtt URL    zusätzlich an einen MQTT-Broker senden: mqtt://HOST[:PORT]/PRÄFIX (oder
                mqtts://; Ports 1883 und 8883, Präfix "kvormx" als Vorgabe): Identität
                und Parameter (gehalten), eine Nachricht je Antwort auf
                PRÄFIX/measurement, und PRÄFIX/status ("online", das Ergebnis; "offline"
                am Ende oder, als letzter Wille, wenn das Werkzeug stirbt)
  --mqtt-auth FILE  Benutzername (erste Zeile) und Passwort (zweite Zeile) für den
                Broker; ein Passwort wird nie auf der Befehlszeile genommen
  --mqtt-client-id ID  der Name, unter dem der Broker das Werkzeug kennt (Vorgabe
                kvormx-HOST-PORTNAME, PORTNAME das Gerät unter /dev)
Eine ungültige URL oder eine unlesbare FILE ist ein Aufruffehler, bevor die
Schnittstelle geöffnet wird. Die Leitung wartet nie auf den Broker: Nachrichten
warten in einer Schlange, solange er fort ist, und jeder Wechsel seines Zustands
(verbunden, verloren, abgelehnt) ist eine Zeile auf der Standardfehlerausgabe. Am
Ende wird das Wartende binnen 2 s gesendet; ein nie erreichter Broker beendet das
Werkzeug mit Status 1 (nicht mit --keep-going).
Läuft sonst bis Strg-C (oder SIGTERM), das es nach dem laufenden Austausch beendet,
mit Status 0 und den Zählern auf der Standardfehlerausgabe. Ohne --keep-going beendet
eine Antwort, die nicht innerhalb der Zeitgrenze kommt, es mit Status 1.
</translation>
    </message>
    <message id="n %ld   Cpk %s">
        <source>n %ld   Cpk %s</source>
        <translation>n %ld   Cpk %s</translation>
    </message>
    <message id="The last run: the edges %s pixels apart on average over %ld replies.">
        <source>The last run: the edges %s pixels apart on average over %ld replies.</source>
        <translation>Der letzte Lauf: die Kanten im Mittel %s Pixel auseinander über %ld Antworten.</translation>
    </message>
    <message id="Upper limit">
        <source>Upper limit</source>
        <translation>Obere Grenze</translation>
    </message>
    <message id="Lower limit">
        <source>Lower limit</source>
        <translation>Untere Grenze</translation>
    </message>
    <message id="Analog output">
        <source>Analog output</source>
        <translation>Analogausgang</translation>
    </message>
    <message id="%s mm per pixel, offset %s mm: calibrated on a gauge">
        <source>%s mm per pixel, offset %s mm: calibrated on a gauge</source>
        <translation>%s mm je Pixel, Versatz %s mm: an einem Prüfmaß kalibriert</translation>
    </message>
    <message id="%s mm per pixel: the sensor type's %s mm over %d pixels">
        <source>%s mm per pixel: the sensor type's %s mm over %d pixels</source>
        <translation>%s mm je Pixel: die %s mm des Sensortyps über %d Pixel</translation>
    </message>
    <message id="No millimetre scale for this sensor: pixels only">
        <source>No millimetre scale for this sensor: pixels only</source>
        <translation>Kein Millimetermaßstab für diesen Sensor: nur Pixel</translation>
    </message>
    <message id="Position (mm)">
        <source>Position (mm)</source>
        <translation>Position (mm)</translation>
    </message>
    <message id="Distance %d pixels, %.3f mm">
        <source>Distance %d pixels, %.3f mm</source>
        <translation>Abstand %d Pixel, %.3f mm</translation>
    </message>
    <message id="Measuring cursors">
        <source>Measuring cursors</source>
        <translation>Messcursor</translation>
    </message>
    <message id="%d: %d replies back, no reply">
        <source>%d: %d replies back, no reply</source>
        <translation>%d: %d Antworten zurück, keine Antwort</translation>
    </message>
    <message id="%d: %d replies back, %.0f pixels (%.3f mm); %+d replies, %+.3f mm from 1">
        <source>%d: %d replies back, %.0f pixels (%.3f mm); %+d replies, %+.3f mm from 1</source>
        <translation>%d: %d Antworten zurück, %.0f Pixel (%.3f mm); %+d Antworten, %+.3f mm von 1</translation>
    </message>
    <message id="%d: %d replies back, %.0f pixels (%.3f mm)">
        <source>%d: %d replies back, %.0f pixels (%.3f mm)</source>
        <translation>%d: %d Antworten zurück, %.0f Pixel (%.3f mm)</translation>
    </message>
    <message id="%d: %d replies back, %.0f pixels; %+d replies, %+.0f pixels from 1">
        <source>%d: %d replies back, %.0f pixels; %+d replies, %+.0f pixels from 1</source>
        <translation>%d: %d Antworten zurück, %.0f Pixel; %+d Antworten, %+.0f Pixel von 1</translation>
    </message>
    <message id="%d: %d replies back, %.0f pixels">
        <source>%d: %d replies back, %.0f pixels</source>
        <translation>%d: %d Antworten zurück, %.0f Pixel</translation>
    </message>
</context>
</TS>
