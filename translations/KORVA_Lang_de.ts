<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="zh_CN">
<context>
    <name>AddressList</name>
    <message>
        <source>“%1”不是地址或地址范围。</source>
        <translation>„%1“ ist keine Adresse und kein Adressbereich.</translation>
    </message>
    <message>
        <source>“%1”超出地址范围 %2 - %3。</source>
        <translation>„%1“ liegt außerhalb der Adressen %2 - %3.</translation>
    </message>
</context>
<context>
    <name>DesktopNotifier</name>
    <message>
        <source>电池包 %1：%2</source>
        <translation>Pack %1: %2</translation>
    </message>
    <message>
        <source>开始于 %1</source>
        <translation>Begonnen %1</translation>
    </message>
    <message>
        <source>显示</source>
        <translation>Anzeigen</translation>
    </message>
</context>
<context>
    <name>EnergyPage</name>
    <message>
        <source>能量账本 %1 无法读取（%2），已另存为 %3，重新开始计数。</source>
        <translation>Die Energiebücher %1 waren nicht lesbar (%2); als %3 aufbewahrt, die Zählung beginnt neu.</translation>
    </message>
    <message>
        <source>能量账本无法保存到 %1：%2</source>
        <translation>Die Energiebücher konnten nicht in %1 gespeichert werden: %2</translation>
    </message>
    <message>
        <source>能量</source>
        <translation>Energie</translation>
    </message>
    <message>
        <source>显示</source>
        <translation>Anzeigen</translation>
    </message>
    <message>
        <source>打开记录</source>
        <translation>Aufzeichnung öffnen</translation>
    </message>
    <message>
        <source>返回实时</source>
        <translation>Zurück zu live</translation>
    </message>
    <message>
        <source>充入 (kWh)</source>
        <translation>Geladen (kWh)</translation>
    </message>
    <message>
        <source>放出 (kWh)</source>
        <translation>Entladen (kWh)</translation>
    </message>
    <message>
        <source>今日充入 %1 kWh
今日放出 %2 kWh</source>
        <translation>Heute geladen %1 kWh
Heute entladen %2 kWh</translation>
    </message>
    <message>
        <source>今日 ↑%1 ↓%2 kWh</source>
        <translation>Heute ↑%1 ↓%2 kWh</translation>
    </message>
    <message>
        <source>电池组</source>
        <translation>Bank</translation>
    </message>
    <message>
        <source>电池包 %1</source>
        <translation>Pack %1</translation>
    </message>
    <message>
        <source>尚无数据</source>
        <translation>Noch keine Daten</translation>
    </message>
    <message>
        <source>自 %1 起：充入 %2 Ah / %3 kWh，放出 %4 Ah / %5 kWh</source>
        <translation>Seit %1: geladen %2 Ah / %3 kWh, entladen %4 Ah / %5 kWh</translation>
    </message>
    <message>
        <source>等效循环 %1</source>
        <translation>Äquivalente Zyklen %1</translation>
    </message>
    <message>
        <source>等效循环：未知（尚未读取设计容量）</source>
        <translation>Äquivalente Zyklen: unbekannt (die Auslegungskapazität wurde noch nicht gelesen)</translation>
    </message>
    <message>
        <source>（电池自计 %1 次）</source>
        <translation> (die Platine zählt %1)</translation>
    </message>
    <message>
        <source>无法读取记录 %1（第 %2 行）。</source>
        <translation>Die Aufzeichnung %1 ist nicht lesbar (Zeile %2).</translation>
    </message>
    <message>
        <source>记录 %1</source>
        <translation>Aufzeichnung %1</translation>
    </message>
    <message>
        <source>记录 %1：只读到第 %2 行。</source>
        <translation>Aufzeichnung %1: nur bis Zeile %2 gelesen.</translation>
    </message>
</context>
<context>
    <name>EventFile</name>
    <message>
        <source>无法创建文件夹 %1。</source>
        <translation>Der Ordner %1 kann nicht angelegt werden.</translation>
    </message>
    <message>
        <source>%1 不是事件文件：文件保持不变，事件不写入其中。</source>
        <translation>%1 ist keine Ereignisdatei: sie bleibt unverändert, und es werden keine Ereignisse hineingeschrieben.</translation>
    </message>
    <message>
        <source>无法打开 %1：%2</source>
        <translation>%1 kann nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>文件是空的。</source>
        <translation>Die Datei ist leer.</translation>
    </message>
    <message>
        <source>不是事件文件：第一行不是事件文件的标题行。</source>
        <translation>Keine Ereignisdatei: die erste Zeile ist nicht die Kopfzeile einer Ereignisdatei.</translation>
    </message>
</context>
<context>
    <name>EventNames</name>
    <message>
        <source>充电高温保护</source>
        <translation>Übertemperatur beim Laden</translation>
    </message>
    <message>
        <source>放电高温保护</source>
        <translation>Übertemperatur beim Entladen</translation>
    </message>
    <message>
        <source>充电低温保护</source>
        <translation>Untertemperatur beim Laden</translation>
    </message>
    <message>
        <source>放电低温保护</source>
        <translation>Untertemperatur beim Entladen</translation>
    </message>
    <message>
        <source>过压保护</source>
        <translation>Zellüberspannung</translation>
    </message>
    <message>
        <source>充电过流保护</source>
        <translation>Überstrom beim Laden</translation>
    </message>
    <message>
        <source>欠压保护</source>
        <translation>Zellunterspannung</translation>
    </message>
    <message>
        <source>一级放电过流保护</source>
        <translation>Überstrom beim Entladen, Stufe 1</translation>
    </message>
    <message>
        <source>二级放电过流保护</source>
        <translation>Überstrom beim Entladen, Stufe 2</translation>
    </message>
    <message>
        <source>PCB高温保护</source>
        <translation>Übertemperatur der Platine</translation>
    </message>
    <message>
        <source>短路保护</source>
        <translation>Kurzschluss</translation>
    </message>
    <message>
        <source>压差保护</source>
        <translation>Zellspannungsdifferenz</translation>
    </message>
    <message>
        <source>总过压保护</source>
        <translation>Packüberspannung</translation>
    </message>
    <message>
        <source>总欠压保护</source>
        <translation>Packunterspannung</translation>
    </message>
    <message>
        <source>未知保护代码 %1</source>
        <translation>unbekannter Schutzcode %1</translation>
    </message>
    <message>
        <source>充电高温报警</source>
        <translation>Alarm: hohe Temperatur beim Laden</translation>
    </message>
    <message>
        <source>充电低温报警</source>
        <translation>Alarm: niedrige Temperatur beim Laden</translation>
    </message>
    <message>
        <source>放电高温报警</source>
        <translation>Alarm: hohe Temperatur beim Entladen</translation>
    </message>
    <message>
        <source>放电低温报警</source>
        <translation>Alarm: niedrige Temperatur beim Entladen</translation>
    </message>
    <message>
        <source>未知报警位 %1</source>
        <translation>unbekanntes Alarmbit %1</translation>
    </message>
    <message>
        <source>充电MOS关闭</source>
        <translation>Lade-MOSFET aus</translation>
    </message>
    <message>
        <source>放电MOS关闭</source>
        <translation>Entlade-MOSFET aus</translation>
    </message>
    <message>
        <source>通信中断</source>
        <translation>Verbindung verloren</translation>
    </message>
    <message>
        <source>压差过大</source>
        <translation>Zellspreizung hoch</translation>
    </message>
    <message>
        <source>低电量</source>
        <translation>niedriger Ladestand</translation>
    </message>
    <message>
        <source>保护</source>
        <translation>Schutz</translation>
    </message>
    <message>
        <source>报警</source>
        <translation>Alarm</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>通信</source>
        <translation>Verbindung</translation>
    </message>
    <message>
        <source>压差</source>
        <translation>Spreizung</translation>
    </message>
    <message>
        <source>电芯 %1</source>
        <translation>Zelle %1</translation>
    </message>
    <message>
        <source>环境温度传感器</source>
        <translation>Umgebungssensor</translation>
    </message>
    <message>
        <source>MOS温度传感器</source>
        <translation>MOSFET-Sensor</translation>
    </message>
    <message>
        <source>温度传感器 TS%1</source>
        <translation>Sensor TS%1</translation>
    </message>
    <message>
        <source>电流</source>
        <translation>Strom</translation>
    </message>
    <message>
        <source>总电压</source>
        <translation>Packspannung</translation>
    </message>
    <message>
        <source>电量</source>
        <translation>Ladestand</translation>
    </message>
    <message>
        <source>%1，%2，%3 偏离最大</source>
        <translation>%1, %2, %3 weicht am stärksten ab</translation>
    </message>
    <message>
        <source>%1，%2 为 %3</source>
        <translation>%1, %2 bei %3</translation>
    </message>
    <message>
        <source>，最差 %1</source>
        <translation>, schlechtester Wert %1</translation>
    </message>
    <message>
        <source>，保护阈值 %1</source>
        <translation>, Auslöseschwelle %1</translation>
    </message>
    <message>
        <source>，报警阈值 %1</source>
        <translation>, Alarmschwelle %1</translation>
    </message>
    <message>
        <source>，设定值 %1</source>
        <translation>, Grenze %1</translation>
    </message>
</context>
<context>
    <name>EventsModel</name>
    <message>
        <source>进行中</source>
        <translation>andauernd</translation>
    </message>
    <message>
        <source>未知</source>
        <translation>unbekannt</translation>
    </message>
    <message>
        <source>%1（%2）</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>监视在此停止（连接关闭或程序结束），事件实际结束的时间未知。</source>
        <translation>Die Überwachung endete hier (Verbindung geschlossen oder Programm beendet); wann das Ereignis wirklich endete, ist unbekannt.</translation>
    </message>
    <message>
        <source>开始</source>
        <translation>Beginn</translation>
    </message>
    <message>
        <source>结束</source>
        <translation>Ende</translation>
    </message>
    <message>
        <source>持续</source>
        <translation>Dauer</translation>
    </message>
    <message>
        <source>电池包</source>
        <translation>Pack</translation>
    </message>
    <message>
        <source>事件</source>
        <translation>Ereignis</translation>
    </message>
    <message>
        <source>位置</source>
        <translation>Ort</translation>
    </message>
    <message>
        <source>数值（最差）</source>
        <translation>Wert (Extremwert)</translation>
    </message>
    <message>
        <source>阈值</source>
        <translation>Schwelle</translation>
    </message>
</context>
<context>
    <name>EventsPage</name>
    <message>
        <source>事件无法写入：%1</source>
        <translation>Ereignisse können nicht geschrieben werden: %1</translation>
    </message>
    <message>
        <source>%1 无法读取：%2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>%1 未打开：%2</source>
        <translation>%1 wurde nicht geöffnet: %2</translation>
    </message>
    <message>
        <source>全部电池包</source>
        <translation>Alle Packs</translation>
    </message>
    <message>
        <source>电池包 %1</source>
        <translation>Pack %1</translation>
    </message>
    <message>
        <source>事件 (%1)</source>
        <translation>Ereignisse (%1)</translation>
    </message>
    <message>
        <source>事件</source>
        <translation>Ereignisse</translation>
    </message>
    <message>
        <source>事件文件 %1  ·  %2 个事件</source>
        <translation>Ereignisdatei %1  ·  %2 Ereignisse</translation>
    </message>
    <message>
        <source>实时事件与最近的记录（%1）</source>
        <translation>Aktuelle und zuletzt gespeicherte Ereignisse (%1)</translation>
    </message>
    <message>
        <source>全部类型</source>
        <translation>Alle Arten</translation>
    </message>
    <message>
        <source>仅进行中</source>
        <translation>Nur andauernde</translation>
    </message>
    <message>
        <source>打开事件文件</source>
        <translation>Ereignisdatei öffnen</translation>
    </message>
    <message>
        <source>桌面通知</source>
        <translation>Desktop-Benachrichtigungen</translation>
    </message>
    <message>
        <source>窗口不在前台时，保护触发或电池包失去连接会发出桌面通知。</source>
        <translation>Solange das Fenster nicht im Vordergrund ist, melden Desktop-Benachrichtigungen eine ausgelöste Schutzfunktion oder ein Pack, das nicht mehr antwortet.</translation>
    </message>
    <message>
        <source>压差提醒</source>
        <translation>Warnung Zellspreizung</translation>
    </message>
    <message>
        <source>低电量提醒</source>
        <translation>Warnung niedriger Ladestand</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>aus</translation>
    </message>
    <message>
        <source>最高与最低电芯电压之差超过此值时记为事件；0 为关闭。</source>
        <translation>Ein Ereignis, wenn die höchste Zelle mehr als diesen Wert über der niedrigsten liegt; 0 ist aus.</translation>
    </message>
    <message>
        <source>电量低于此值时记为事件；0 为关闭。</source>
        <translation>Ein Ereignis, wenn der Ladestand unter diesen Wert fällt; 0 ist aus.</translation>
    </message>
</context>
<context>
    <name>FrameConsole</name>
    <message>
        <source>继续</source>
        <translation>Fortsetzen</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>Anhalten</translation>
    </message>
    <message>
        <source>保存帧记录</source>
        <translation>Frame-Mitschnitt speichern</translation>
    </message>
    <message>
        <source>文本文件 (*.txt)</source>
        <translation>Textdateien (*.txt)</translation>
    </message>
    <message>
        <source>保存失败</source>
        <translation>Speichern fehlgeschlagen</translation>
    </message>
    <message>
        <source>帧记录无法写入 %1：
%2</source>
        <translation>Der Mitschnitt konnte nicht nach %1 geschrieben werden:
%2</translation>
    </message>
    <message>
        <source>帧控制台</source>
        <translation>Frame-Konsole</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Leeren</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>筛选：</source>
        <translation>Filter:</translation>
    </message>
    <message>
        <source>如 51 52、00-1F 或 addr 1,3-5</source>
        <translation>z. B. 51 52, 00-1F oder addr 1,3-5</translation>
    </message>
    <message>
        <source>两位十六进制的代码，以空格或逗号分开；范围如 00-1F。
addr 加上十进制的地址或地址列表（如 addr 5 或 addr 1,3-5），只显示这些电池包的帧。</source>
        <translation>Codes aus zwei Hex-Ziffern, durch Leerzeichen oder Kommas getrennt; Bereiche wie 00-1F.
addr mit einer Adresse oder einer Liste von Adressen, dezimal (etwa addr 5 oder addr 1,3-5), zeigt nur die Frames dieser Packs.</translation>
    </message>
    <message>
        <source>共 %1 条，显示 %2 条</source>
        <translation>%1 Einträge, %2 angezeigt</translation>
    </message>
    <message>
        <source>，已丢弃更早的 %1 条</source>
        <translation>, %1 ältere verworfen</translation>
    </message>
    <message>
        <source>已保存 %1 条到 %2</source>
        <translation>%1 Einträge in %2 gespeichert</translation>
    </message>
</context>
<context>
    <name>FrameLog</name>
    <message>
        <source>时间</source>
        <translation>Zeit</translation>
    </message>
    <message>
        <source>方向</source>
        <translation>Richtung</translation>
    </message>
    <message>
        <source>代码</source>
        <translation>Code</translation>
    </message>
    <message>
        <source>校验</source>
        <translation>Prüfung</translation>
    </message>
    <message>
        <source>内容</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>十六进制</source>
        <translation>Hex</translation>
    </message>
    <message>
        <source>读请求没有得到应答</source>
        <translation>Die Leseanfrage blieb unbeantwortet</translation>
    </message>
    <message>
        <source>地址 %1 没有应答</source>
        <translation>Keine Antwort von Adresse %1</translation>
    </message>
    <message>
        <source>地址 %1 的应答不完整</source>
        <translation>Adresse %1 antwortete unvollständig</translation>
    </message>
    <message>
        <source>线路不空闲，帧等到下一个周期</source>
        <translation>Leitung nicht frei: der Frame wartet auf den nächsten Takt</translation>
    </message>
    <message>
        <source>线路忙，地址 %1 的请求未发出</source>
        <translation>Leitung belegt: Adresse %1 nicht abgefragt</translation>
    </message>
    <message>
        <source>记录已暂停：继续之前的帧没有记录</source>
        <translation>Mitschnitt angehalten: Frames bis zum Fortsetzen werden nicht aufgezeichnet</translation>
    </message>
    <message>
        <source>窗口已关闭：再次打开之前的帧没有记录</source>
        <translation>Konsole geschlossen: Frames bis zum erneuten Öffnen werden nicht aufgezeichnet</translation>
    </message>
    <message>
        <source>发送</source>
        <translation>Gesendet</translation>
    </message>
    <message>
        <source>接收</source>
        <translation>Empfangen</translation>
    </message>
    <message>
        <source>事件</source>
        <translation>Ereignis</translation>
    </message>
    <message>
        <source>CRC 正确</source>
        <translation>CRC korrekt</translation>
    </message>
    <message>
        <source>CRC 错误</source>
        <translation>CRC falsch</translation>
    </message>
    <message>
        <source>无起始符</source>
        <translation>Kein Startzeichen</translation>
    </message>
    <message>
        <source>超时</source>
        <translation>Zeitüberschreitung</translation>
    </message>
    <message>
        <source>总线忙</source>
        <translation>Bus belegt</translation>
    </message>
    <message>
        <source>未发出</source>
        <translation>Nicht gesendet</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>Angehalten</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Beendet</translation>
    </message>
    <message>
        <source>更早的 %1 条已丢弃</source>
        <translation>%1 ältere Einträge verworfen</translation>
    </message>
    <message>
        <source>筛选：%1</source>
        <translation>Filter: %1</translation>
    </message>
    <message>
        <source>写入出错</source>
        <translation>Schreibfehler</translation>
    </message>
    <message>
        <source>端口未打开</source>
        <translation>Port nicht geöffnet</translation>
    </message>
    <message>
        <source>端口不可写</source>
        <translation>Port nicht beschreibbar</translation>
    </message>
    <message>
        <source>只写出了一部分</source>
        <translation>Nur teilweise geschrieben</translation>
    </message>
</context>
<context>
    <name>HealthPage</name>
    <message>
        <source>电芯健康</source>
        <translation>Zellzustand</translation>
    </message>
    <message>
        <source>记录 %1  ·  %2 行  ·  电池包 %3</source>
        <translation>Aufzeichnung %1  ·  %2 Zeilen  ·  Pack %3</translation>
    </message>
    <message>
        <source>电流阶跃 %1</source>
        <translation>Stromsprünge: %1</translation>
    </message>
    <message>
        <source>未计：保护中 %1，均衡中 %2，间隔过长 %3</source>
        <translation>Nicht gezählt: %1 während einer Schutzabschaltung, %2 beim Balancieren, %3 zu weit auseinander</translation>
    </message>
    <message>
        <source>内阻偏高：电芯 %1</source>
        <translation>Hoher Innenwiderstand: Zelle %1</translation>
    </message>
    <message>
        <source>无内阻偏高的电芯</source>
        <translation>Keine Zelle mit hohem Innenwiderstand</translation>
    </message>
    <message>
        <source>压差：静置 %1 mV，负载 %2 mV</source>
        <translation>Zellspreizung: %1 mV in Ruhe, %2 mV unter Last</translation>
    </message>
    <message>
        <source>放电时最常最低：电芯 %1（%2 %）</source>
        <translation>Beim Entladen am häufigsten die niedrigste: Zelle %1 (%2 %)</translation>
    </message>
    <message>
        <source>%1 中没有数据行。</source>
        <translation>%1 enthält keine Zeilen.</translation>
    </message>
</context>
<context>
    <name>HealthView</name>
    <message>
        <source>电流阶跃尚不足</source>
        <translation>noch nicht genug Stromsprünge</translation>
    </message>
    <message>
        <source>电芯内阻 (mΩ)</source>
        <translation>Innenwiderstand der Zellen (mΩ)</translation>
    </message>
    <message>
        <source>电芯</source>
        <translation>Zelle</translation>
    </message>
    <message>
        <source>阶跃</source>
        <translation>Sprünge</translation>
    </message>
    <message>
        <source>中位数 %1 mΩ</source>
        <translation>Median %1 mΩ</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Arvex</source>
        <translation>Arvex</translation>
    </message>
    <message>
        <source>串口：</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>波特率</source>
        <translation>Baud</translation>
    </message>
    <message>
        <source>Pack</source>
        <translation>Pack</translation>
    </message>
    <message>
        <source>Priod(ms)</source>
        <translation>Takt(ms)</translation>
    </message>
    <message>
        <source>简体中文</source>
        <translation>简体中文</translation>
    </message>
    <message>
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <source>Deutsch</source>
        <translation>Deutsch</translation>
    </message>
    <message>
        <source>-</source>
        <translation>-</translation>
    </message>
    <message>
        <source>x</source>
        <translation>x</translation>
    </message>
    <message>
        <source>主页</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>当前剩余容量</source>
        <translation>Ladezustand</translation>
    </message>
    <message>
        <source>  当前电流</source>
        <translation>  Strom</translation>
    </message>
    <message>
        <source>mA</source>
        <translation>mA</translation>
    </message>
    <message>
        <source>工作状态</source>
        <translation>Betriebszustand</translation>
    </message>
    <message>
        <source>静止</source>
        <translation>Ruhe</translation>
    </message>
    <message>
        <source>充电</source>
        <translation>Laden</translation>
    </message>
    <message>
        <source>放电</source>
        <translation>Entladen</translation>
    </message>
    <message>
        <source>  温度保护状态</source>
        <translation>  Temperaturschutz</translation>
    </message>
    <message>
        <source> 充电高温保护</source>
        <translation> Laden Übertemp.</translation>
    </message>
    <message>
        <source> 充电低温保护</source>
        <translation> Laden Untertemp.</translation>
    </message>
    <message>
        <source> 放电高温保护</source>
        <translation> Entl. Übertemp.</translation>
    </message>
    <message>
        <source> 放电低温保护</source>
        <translation> Entl. Untertemp.</translation>
    </message>
    <message>
        <source> PCB高温保护</source>
        <translation> PCB Übertemp.</translation>
    </message>
    <message>
        <source> 均衡信息</source>
        <translation> Ausgleich</translation>
    </message>
    <message>
        <source>均衡状态</source>
        <translation>Ausgleich</translation>
    </message>
    <message>
        <source>Cell #Null</source>
        <translation>Cell #Null</translation>
    </message>
    <message>
        <source>  电压保护状态</source>
        <translation>  Spannungsschutz</translation>
    </message>
    <message>
        <source>欠压保护</source>
        <translation>Unterspannung</translation>
    </message>
    <message>
        <source>过压保护</source>
        <translation>Überspannung</translation>
    </message>
    <message>
        <source>压差保护</source>
        <translation>Zelldifferenz</translation>
    </message>
    <message>
        <source>总欠压保护</source>
        <translation>Pack-Unterspannung</translation>
    </message>
    <message>
        <source>总过压保护</source>
        <translation>Pack-Überspannung</translation>
    </message>
    <message>
        <source>  电流保护状态</source>
        <translation>  Stromschutz</translation>
    </message>
    <message>
        <source>一级放电过流保护</source>
        <translation>Entl.-Überstrom 1</translation>
    </message>
    <message>
        <source>二级放电过流保护</source>
        <translation>Entl.-Überstrom 2</translation>
    </message>
    <message>
        <source> 充电过流保护</source>
        <translation> Lade-Überstrom</translation>
    </message>
    <message>
        <source> 短路保护</source>
        <translation> Kurzschluss</translation>
    </message>
    <message>
        <source> 报警状态</source>
        <translation> Alarmstatus</translation>
    </message>
    <message>
        <source>低电量报警</source>
        <translation>Ladung niedrig</translation>
    </message>
    <message>
        <source>放电过流报警</source>
        <translation>Entl.-Überstrom</translation>
    </message>
    <message>
        <source>充电过流报警</source>
        <translation>Lade-Überstrom</translation>
    </message>
    <message>
        <source>充电高温报警</source>
        <translation>Laden Übertemp.</translation>
    </message>
    <message>
        <source>充电低温报警</source>
        <translation>Laden Untertemp.</translation>
    </message>
    <message>
        <source>放电高温报警</source>
        <translation>Entl. Übertemp.</translation>
    </message>
    <message>
        <source>放电低温报警</source>
        <translation>Entl. Untertemp.</translation>
    </message>
    <message>
        <source>环境高温报警</source>
        <translation>Umgebung heiß</translation>
    </message>
    <message>
        <source>环境低温报警</source>
        <translation>Umgebung kalt</translation>
    </message>
    <message>
        <source>系统状态</source>
        <translation>Systemstatus</translation>
    </message>
    <message>
        <source>保护失效</source>
        <translation>Schutzfehler</translation>
    </message>
    <message>
        <source>AFE通讯失效</source>
        <translation>AFE-Verbindung</translation>
    </message>
    <message>
        <source>数据存储失效</source>
        <translation>Speicherfehler</translation>
    </message>
    <message>
        <source>SOC异常</source>
        <translation>SOC-Fehler</translation>
    </message>
    <message>
        <source>电芯丢失</source>
        <translation>Zelle fehlt</translation>
    </message>
    <message>
        <source>配置丢失</source>
        <translation>Konfig. verloren</translation>
    </message>
    <message>
        <source>简要数据</source>
        <translation>Kennwerte</translation>
    </message>
    <message>
        <source>最大电压 (mV)</source>
        <translation>Zelle max. (mV)</translation>
    </message>
    <message>
        <source>最小电压 (mV)</source>
        <translation>Zelle min. (mV)</translation>
    </message>
    <message>
        <source>平均电压(mV)</source>
        <translation>Mittel (mV)</translation>
    </message>
    <message>
        <source>总电压(mV)</source>
        <translation>Gesamt (mV)</translation>
    </message>
    <message>
        <source>最大压差(mV)</source>
        <translation>Max. Diff. (mV)</translation>
    </message>
    <message>
        <source>循环次数</source>
        <translation>Zyklen</translation>
    </message>
    <message>
        <source>校准状态</source>
        <translation>Kalibrierung</translation>
    </message>
    <message>
        <source>CHGMOS</source>
        <translation>CHGMOS</translation>
    </message>
    <message>
        <source>DSGMOS</source>
        <translation>DSGMOS</translation>
    </message>
    <message>
        <source>设备编号</source>
        <translation>Adresse</translation>
    </message>
    <message>
        <source>TS1 (℃)</source>
        <translation>TS1 (℃)</translation>
    </message>
    <message>
        <source>TS2 (℃)</source>
        <translation>TS2 (℃)</translation>
    </message>
    <message>
        <source>TS3 (℃)</source>
        <translation>TS3 (℃)</translation>
    </message>
    <message>
        <source>TS4 (℃)</source>
        <translation>TS4 (℃)</translation>
    </message>
    <message>
        <source>MOSTS (℃)</source>
        <translation>MOSTS (℃)</translation>
    </message>
    <message>
        <source>ETS (℃)</source>
        <translation>ETS (℃)</translation>
    </message>
    <message>
        <source> 详细数据</source>
        <translation> Details</translation>
    </message>
    <message>
        <source>电池编号</source>
        <translation>Batterie-Nr.</translation>
    </message>
    <message>
        <source>电流 (mA)</source>
        <translation>Strom (mA)</translation>
    </message>
    <message>
        <source>Cell 1 (mV)</source>
        <translation>Zelle 1 (mV)</translation>
    </message>
    <message>
        <source>Cell 2 (mV)</source>
        <translation>Zelle 2 (mV)</translation>
    </message>
    <message>
        <source>Cell 3 (mV)</source>
        <translation>Zelle 3 (mV)</translation>
    </message>
    <message>
        <source>Cell 4 (mV)</source>
        <translation>Zelle 4 (mV)</translation>
    </message>
    <message>
        <source>Cell 5 (mV)</source>
        <translation>Zelle 5 (mV)</translation>
    </message>
    <message>
        <source>Cell 6 (mV)</source>
        <translation>Zelle 6 (mV)</translation>
    </message>
    <message>
        <source>Cell 7 (mV)</source>
        <translation>Zelle 7 (mV)</translation>
    </message>
    <message>
        <source>Cell 8 (mV)</source>
        <translation>Zelle 8 (mV)</translation>
    </message>
    <message>
        <source>Cell 9 (mV)</source>
        <translation>Zelle 9 (mV)</translation>
    </message>
    <message>
        <source>Cell 10 (mV)</source>
        <translation>Zelle 10 (mV)</translation>
    </message>
    <message>
        <source>Cell 11 (mV)</source>
        <translation>Zelle 11 (mV)</translation>
    </message>
    <message>
        <source>Cell 12 (mV)</source>
        <translation>Zelle 12 (mV)</translation>
    </message>
    <message>
        <source>Cell 13 (mV)</source>
        <translation>Zelle 13 (mV)</translation>
    </message>
    <message>
        <source>Cell 14 (mV)</source>
        <translation>Zelle 14 (mV)</translation>
    </message>
    <message>
        <source>Cell 15 (mV)</source>
        <translation>Zelle 15 (mV)</translation>
    </message>
    <message>
        <source>Cell 16 (mV)</source>
        <translation>Zelle 16 (mV)</translation>
    </message>
    <message>
        <source>Unused</source>
        <translation>Unbenutzt</translation>
    </message>
    <message>
        <source>按键状态</source>
        <translation>Tastenstatus</translation>
    </message>
    <message>
        <source>最大电位差 (mV)</source>
        <translation>Max. Diff. (mV)</translation>
    </message>
    <message>
        <source>最小电位差 (mV)</source>
        <translation>Min. Diff. (mV)</translation>
    </message>
    <message>
        <source>平均电压 (mV)</source>
        <translation>Mittel (mV)</translation>
    </message>
    <message>
        <source>总电压 (mV)</source>
        <translation>Gesamt (mV)</translation>
    </message>
    <message>
        <source>串数</source>
        <translation>Zellen in Serie</translation>
    </message>
    <message>
        <source>电流补偿值</source>
        <translation>Stromoffset</translation>
    </message>
    <message>
        <source>SOC</source>
        <translation>SOC</translation>
    </message>
    <message>
        <source>电芯极值</source>
        <translation>Zell-Extremwert</translation>
    </message>
    <message>
        <source>NEWCC</source>
        <translation>NEWCC</translation>
    </message>
    <message>
        <source>CHGVV</source>
        <translation>CHGVV</translation>
    </message>
    <message>
        <source>DSGVV</source>
        <translation>DSGVV</translation>
    </message>
    <message>
        <source>衰减度</source>
        <translation>Alterung</translation>
    </message>
    <message>
        <source>阻尼值</source>
        <translation>Dämpfung</translation>
    </message>
    <message>
        <source>芯片温度</source>
        <translation>Chiptemperatur</translation>
    </message>
    <message>
        <source>报警状态</source>
        <translation>Alarmstatus</translation>
    </message>
    <message>
        <source>保护状态</source>
        <translation>Schutzstatus</translation>
    </message>
    <message>
        <source>均衡信息</source>
        <translation>Ausgleich</translation>
    </message>
    <message>
        <source>参数管理</source>
        <translation>Parameter</translation>
    </message>
    <message>
        <source>保护参数</source>
        <translation>Schutz</translation>
    </message>
    <message>
        <source>欠压保护阈值</source>
        <translation>Unterspannung Schwelle</translation>
    </message>
    <message>
        <source>mV</source>
        <translation>mV</translation>
    </message>
    <message>
        <source>应用</source>
        <translation>Setzen</translation>
    </message>
    <message>
        <source>欠压恢复阈值</source>
        <translation>Unterspannung Freigabe</translation>
    </message>
    <message>
        <source>欠压保护延时</source>
        <translation>Unterspannung Verzög.</translation>
    </message>
    <message>
        <source>mS</source>
        <translation>ms</translation>
    </message>
    <message>
        <source>过压保护阈值</source>
        <translation>Überspannung Schwelle</translation>
    </message>
    <message>
        <source>过压恢复阈值</source>
        <translation>Überspannung Freigabe</translation>
    </message>
    <message>
        <source>过压保护延时</source>
        <translation>Überspannung Verzög.</translation>
    </message>
    <message>
        <source>总欠压保护阈值</source>
        <translation>Pack-Untersp. Schwelle</translation>
    </message>
    <message>
        <source>10mV</source>
        <translation>10mV</translation>
    </message>
    <message>
        <source>总欠压恢复阈值</source>
        <translation>Pack-Untersp. Freigabe</translation>
    </message>
    <message>
        <source>总过压保护阈值</source>
        <translation>Pack-Übersp. Schwelle</translation>
    </message>
    <message>
        <source>总过压恢复阈值</source>
        <translation>Pack-Übersp. Freigabe</translation>
    </message>
    <message>
        <source>充电过流保护阈值</source>
        <translation>Lade-Überstrom Schwelle</translation>
    </message>
    <message>
        <source>A</source>
        <translation>A</translation>
    </message>
    <message>
        <source>充电过流保护延时</source>
        <translation>Lade-Überstrom Verzög.</translation>
    </message>
    <message>
        <source>放电过流一保护阈值</source>
        <translation>Entl.-Überstrom 1 Schwelle</translation>
    </message>
    <message>
        <source>放电过流二保护阈值</source>
        <translation>Entl.-Überstrom 2 Schwelle</translation>
    </message>
    <message>
        <source>放电过流一保护延时</source>
        <translation>Entl.-Überstrom 1 Verzög.</translation>
    </message>
    <message>
        <source>放电过流二保护延时</source>
        <translation>Entl.-Überstrom 2 Verzög.</translation>
    </message>
    <message>
        <source>充电高温保护阈值</source>
        <translation>Laden Übertemp. Schwelle</translation>
    </message>
    <message>
        <source>℃</source>
        <translation>℃</translation>
    </message>
    <message>
        <source>充电高温恢复阈值</source>
        <translation>Laden Übertemp. Freigabe</translation>
    </message>
    <message>
        <source>放电高温保护阈值</source>
        <translation>Entl. Übertemp. Schwelle</translation>
    </message>
    <message>
        <source>充电低温恢复阈值</source>
        <translation>Laden Untertemp. Freigabe</translation>
    </message>
    <message>
        <source>充电低温保护阈值</source>
        <translation>Laden Untertemp. Schwelle</translation>
    </message>
    <message>
        <source>放电高温恢复阈值</source>
        <translation>Entl. Übertemp. Freigabe</translation>
    </message>
    <message>
        <source>放电低温保护阈值</source>
        <translation>Entl. Untertemp. Schwelle</translation>
    </message>
    <message>
        <source>放电低温恢复阈值</source>
        <translation>Entl. Untertemp. Freigabe</translation>
    </message>
    <message>
        <source>报警参数</source>
        <translation>Alarme</translation>
    </message>
    <message>
        <source>温度报警</source>
        <translation>Temperaturalarme</translation>
    </message>
    <message>
        <source>充电高温报警阈值</source>
        <translation>Laden Übertemp. Alarm</translation>
    </message>
    <message>
        <source>放电高温报警阈值</source>
        <translation>Entl. Übertemp. Alarm</translation>
    </message>
    <message>
        <source>充电低温报警阈值</source>
        <translation>Laden Untertemp. Alarm</translation>
    </message>
    <message>
        <source>放电低温报警阈值</source>
        <translation>Entl. Untertemp. Alarm</translation>
    </message>
    <message>
        <source>环境高温报警阈值</source>
        <translation>Umgebung heiß Alarm</translation>
    </message>
    <message>
        <source>环境低温报警阈值</source>
        <translation>Umgebung kalt Alarm</translation>
    </message>
    <message>
        <source>电压报警</source>
        <translation>Spannungsalarme</translation>
    </message>
    <message>
        <source>单体欠压报警阈值</source>
        <translation>Zell-Unterspannung Alarm</translation>
    </message>
    <message>
        <source>单体过压报警阈值</source>
        <translation>Zell-Überspannung Alarm</translation>
    </message>
    <message>
        <source>总压欠压报警阈值</source>
        <translation>Pack-Unterspannung Alarm</translation>
    </message>
    <message>
        <source>电流报警</source>
        <translation>Stromalarme</translation>
    </message>
    <message>
        <source>充电过流报警阈值</source>
        <translation>Lade-Überstrom Alarm</translation>
    </message>
    <message>
        <source>放电过流报警阈值</source>
        <translation>Entl.-Überstrom Alarm</translation>
    </message>
    <message>
        <source>其他报警</source>
        <translation>Weitere Alarme</translation>
    </message>
    <message>
        <source>低电量报警阈值</source>
        <translation>Ladung niedrig Alarm</translation>
    </message>
    <message>
        <source>%</source>
        <translation>%</translation>
    </message>
    <message>
        <source>功率报警阈值</source>
        <translation>Leistungsalarm</translation>
    </message>
    <message>
        <source>W</source>
        <translation>W</translation>
    </message>
    <message>
        <source>设备参数</source>
        <translation>Gerät</translation>
    </message>
    <message>
        <source>设计容量</source>
        <translation>Nennkapazität</translation>
    </message>
    <message>
        <source>检测阻值</source>
        <translation>Messwiderstand</translation>
    </message>
    <message>
        <source>电压保护增益值</source>
        <translation>Spannungsverstärkung</translation>
    </message>
    <message>
        <source>电芯串数</source>
        <translation>Zellen in Serie</translation>
    </message>
    <message>
        <source>均衡参数</source>
        <translation>Ausgleich</translation>
    </message>
    <message>
        <source>均衡检测电压</source>
        <translation>Ausgleich ab Spannung</translation>
    </message>
    <message>
        <source>均衡开启压差</source>
        <translation>Ausgleich ab Differenz</translation>
    </message>
    <message>
        <source>压差保护阈值</source>
        <translation>Zelldifferenz Schwelle</translation>
    </message>
    <message>
        <source>校准电流值</source>
        <translation>Kalibrierstrom</translation>
    </message>
    <message>
        <source>.</source>
        <translation>.</translation>
    </message>
    <message>
        <source>初始化参数</source>
        <translation>Parameter init.</translation>
    </message>
    <message>
        <source>初始化SOC</source>
        <translation>SOC init.</translation>
    </message>
    <message>
        <source>系统复位</source>
        <translation>System-Reset</translation>
    </message>
    <message>
        <source>当前电流</source>
        <translation>Strom</translation>
    </message>
    <message>
        <source>开始校准</source>
        <translation>Kalibrieren</translation>
    </message>
    <message>
        <source>版本号</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>CAN</source>
        <translation>CAN</translation>
    </message>
    <message>
        <source>CHGR</source>
        <translation>CHGR</translation>
    </message>
    <message>
        <source>LOAD</source>
        <translation>LOAD</translation>
    </message>
    <message>
        <source>BLE</source>
        <translation>BLE</translation>
    </message>
    <message>
        <source>Read Statu</source>
        <translation>Lesestatus</translation>
    </message>
    <message>
        <source>一键读取</source>
        <translation>Alles lesen</translation>
    </message>
    <message>
        <source>实时数据</source>
        <translation>Live-Daten</translation>
    </message>
    <message>
        <source>RUN</source>
        <translation>RUN</translation>
    </message>
    <message>
        <source>导出</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Leeren</translation>
    </message>
    <message>
        <source>总记录</source>
        <translation>Zeilen</translation>
    </message>
    <message>
        <source>设备管理</source>
        <translation>Geräteverwaltung</translation>
    </message>
    <message>
        <source>当前系统版本</source>
        <translation>Firmware-Version</translation>
    </message>
    <message>
        <source>目标地址</source>
        <translation>Zieladresse</translation>
    </message>
    <message>
        <source>文件路径</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>浏览</source>
        <translation>Durchsuchen</translation>
    </message>
    <message>
        <source>传输进度</source>
        <translation>Fortschritt</translation>
    </message>
    <message>
        <source>下载</source>
        <translation>Übertragen</translation>
    </message>
    <message>
        <source>Debug</source>
        <translation>Debug</translation>
    </message>
    <message>
        <source>充电过流保护</source>
        <translation>Lade-Überstrom</translation>
    </message>
    <message>
        <source>充电高温保护</source>
        <translation>Laden Übertemp.</translation>
    </message>
    <message>
        <source>充电低温保护</source>
        <translation>Laden Untertemp.</translation>
    </message>
    <message>
        <source>放电过流一保护</source>
        <translation>Entl.-Überstrom 1</translation>
    </message>
    <message>
        <source>放电过流二保护</source>
        <translation>Entl.-Überstrom 2</translation>
    </message>
    <message>
        <source>放电高温保护</source>
        <translation>Entl. Übertemp.</translation>
    </message>
    <message>
        <source>放电低温保护</source>
        <translation>Entl. Untertemp.</translation>
    </message>
    <message>
        <source>蜂鸣器</source>
        <translation>Summer</translation>
    </message>
    <message>
        <source>休眠</source>
        <translation>Ruhemodus</translation>
    </message>
    <message>
        <source> 电流校准</source>
        <translation> Stromkalibrierung</translation>
    </message>
    <message>
        <source>短路启动延时</source>
        <translation>Kurzschluss Verzög.</translation>
    </message>
    <message>
        <source>短路保护启动压差</source>
        <translation>Kurzschluss Schwelle</translation>
    </message>
    <message>
        <source>主控芯片复位</source>
        <translation>Controller-Reset</translation>
    </message>
    <message>
        <source>初始化保护参数</source>
        <translation>Schutz init.</translation>
    </message>
    <message>
        <source>初始化SOC模型</source>
        <translation>SOC-Modell init.</translation>
    </message>
    <message>
        <source>DEBUG</source>
        <translation>DEBUG</translation>
    </message>
    <message>
        <source>数据采集间隔</source>
        <translation>Messintervall</translation>
    </message>
    <message>
        <source>电流类型</source>
        <translation>Stromtyp</translation>
    </message>
    <message>
        <source>深度休眠压差</source>
        <translation>Tiefschlafspannung</translation>
    </message>
    <message>
        <source>学习因子</source>
        <translation>Lernfaktor</translation>
    </message>
    <message>
        <source>BLEMac</source>
        <translation>BLEMac</translation>
    </message>
    <message>
        <source>BLE名称</source>
        <translation>BLE-Name</translation>
    </message>
    <message>
        <source>充电MOS开关</source>
        <translation>Lade-MOSFET</translation>
    </message>
    <message>
        <source>放电MOS开关</source>
        <translation>Entlade-MOSFET</translation>
    </message>
    <message>
        <source>SW</source>
        <translation>SW</translation>
    </message>
    <message>
        <source>L</source>
        <translation>L</translation>
    </message>
    <message>
        <source>TX</source>
        <translation>TX</translation>
    </message>
    <message>
        <source>RX</source>
        <translation>RX</translation>
    </message>
    <message>
        <source>ERR</source>
        <translation>ERR</translation>
    </message>
    <message>
        <source>no connect !</source>
        <translation>nicht verbunden</translation>
    </message>
    <message>
        <source>2023-10-25 16:51:16</source>
        <translation>2023-10-25 16:51:16</translation>
    </message>
    <message>
        <source>日期</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Zeit</translation>
    </message>
    <message>
        <source>MOS状态</source>
        <translation>MOS-Status</translation>
    </message>
    <message>
        <source>SOH</source>
        <translation>SOH</translation>
    </message>
    <message>
        <source>电流(A)</source>
        <translation>Strom (A)</translation>
    </message>
    <message>
        <source>总电压(V)</source>
        <translation>Packspannung (V)</translation>
    </message>
    <message>
        <source>MOS温度(℃)</source>
        <translation>MOS-Temp. (℃)</translation>
    </message>
    <message>
        <source>电芯温度1(℃)</source>
        <translation>Zelltemp. 1 (℃)</translation>
    </message>
    <message>
        <source>电芯温度2(℃)</source>
        <translation>Zelltemp. 2 (℃)</translation>
    </message>
    <message>
        <source>电芯温度3(℃)</source>
        <translation>Zelltemp. 3 (℃)</translation>
    </message>
    <message>
        <source>电芯温度4(℃)</source>
        <translation>Zelltemp. 4 (℃)</translation>
    </message>
    <message>
        <source>环境温度(℃)</source>
        <translation>Umgebungstemp. (℃)</translation>
    </message>
    <message>
        <source>电芯1(mV)</source>
        <translation>Zelle 1 (mV)</translation>
    </message>
    <message>
        <source>电芯2(mV)</source>
        <translation>Zelle 2 (mV)</translation>
    </message>
    <message>
        <source>电芯3(mV)</source>
        <translation>Zelle 3 (mV)</translation>
    </message>
    <message>
        <source>电芯4(mV)</source>
        <translation>Zelle 4 (mV)</translation>
    </message>
    <message>
        <source>电芯5(mV)</source>
        <translation>Zelle 5 (mV)</translation>
    </message>
    <message>
        <source>电芯6(mV)</source>
        <translation>Zelle 6 (mV)</translation>
    </message>
    <message>
        <source>电芯7(mV)</source>
        <translation>Zelle 7 (mV)</translation>
    </message>
    <message>
        <source>电芯8(mV)</source>
        <translation>Zelle 8 (mV)</translation>
    </message>
    <message>
        <source>电芯9(mV)</source>
        <translation>Zelle 9 (mV)</translation>
    </message>
    <message>
        <source>电芯10(mV)</source>
        <translation>Zelle 10 (mV)</translation>
    </message>
    <message>
        <source>电芯11(mV)</source>
        <translation>Zelle 11 (mV)</translation>
    </message>
    <message>
        <source>电芯12(mV)</source>
        <translation>Zelle 12 (mV)</translation>
    </message>
    <message>
        <source>电芯13(mV)</source>
        <translation>Zelle 13 (mV)</translation>
    </message>
    <message>
        <source>电芯14(mV)</source>
        <translation>Zelle 14 (mV)</translation>
    </message>
    <message>
        <source>电芯15(mV)</source>
        <translation>Zelle 15 (mV)</translation>
    </message>
    <message>
        <source>电芯16(mV)</source>
        <translation>Zelle 16 (mV)</translation>
    </message>
    <message>
        <source>电芯17(mV)</source>
        <translation>Zelle 17 (mV)</translation>
    </message>
    <message>
        <source>电芯18(mV)</source>
        <translation>Zelle 18 (mV)</translation>
    </message>
    <message>
        <source>电芯19(mV)</source>
        <translation>Zelle 19 (mV)</translation>
    </message>
    <message>
        <source>电芯20(mV)</source>
        <translation>Zelle 20 (mV)</translation>
    </message>
    <message>
        <source>电芯21(mV)</source>
        <translation>Zelle 21 (mV)</translation>
    </message>
    <message>
        <source>电芯22(mV)</source>
        <translation>Zelle 22 (mV)</translation>
    </message>
    <message>
        <source>电芯23(mV)</source>
        <translation>Zelle 23 (mV)</translation>
    </message>
    <message>
        <source>电芯24(mV)</source>
        <translation>Zelle 24 (mV)</translation>
    </message>
    <message>
        <source>电芯25(mV)</source>
        <translation>Zelle 25 (mV)</translation>
    </message>
    <message>
        <source>About Arvex</source>
        <translation>Über Arvex</translation>
    </message>
    <message>
        <source>&lt;b&gt;This program is an upper computer softwaredeveloped using QT5.14, which belongs to the communication tool of the Arvex system. It has the functions of data collection, device parameter adjustment, and firmware maintenance for the battery system.&lt;b&gt;</source>
        <translation>&lt;b&gt;Dieses Programm ist die Host-Software des Arvex-Systems, entwickelt mit Qt 5. Als Kommunikationswerkzeug für das Batteriesystem erfasst es Daten, stellt Geräteparameter ein und pflegt die Firmware.&lt;/b&gt;</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>设备移除</source>
        <translation>Gerät entfernt</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>串口未打开，请先打开串口。</source>
        <translation>Die serielle Schnittstelle ist nicht geöffnet. Bitte öffnen Sie sie zuerst.</translation>
    </message>
    <message>
        <source>串口不可用。</source>
        <translation>Die serielle Schnittstelle ist nicht verfügbar.</translation>
    </message>
    <message>
        <source>写入数据失败。</source>
        <translation>Das Schreiben der Daten ist fehlgeschlagen.</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>未能写入全部数据。</source>
        <translation>Es konnten nicht alle Daten geschrieben werden.</translation>
    </message>
    <message>
        <source>STOP</source>
        <translation>STOP</translation>
    </message>
    <message>
        <source>Save CSV</source>
        <translation>CSV speichern</translation>
    </message>
    <message>
        <source>CSV Files (*.csv)</source>
        <translation>CSV-Dateien (*.csv)</translation>
    </message>
    <message>
        <source>Export failed</source>
        <translation>Export fehlgeschlagen</translation>
    </message>
    <message>
        <source>The log could not be written to %1:
%2</source>
        <translation>Das Protokoll konnte nicht nach %1 geschrieben werden:
%2</translation>
    </message>
    <message>
        <source>拔出的适配器在 5 分钟内插回时，重新打开它并继续轮询</source>
        <translation>Wird der Adapter abgezogen und innerhalb von 5 Minuten wieder eingesteckt, wird er wieder geöffnet und weiter abgefragt</translation>
    </message>
    <message>
        <source>自动重连</source>
        <translation>Neu verbinden</translation>
    </message>
    <message>
        <source>等待适配器插回（至 %1）</source>
        <translation>wartet bis %1 auf den Adapter</translation>
    </message>
    <message>
        <source>在 Linux 上，串口设备属于 dialout 组。请用 “sudo usermod -aG dialout $USER” 把自己加入该组，然后注销并重新登录。</source>
        <translation>Unter Linux gehören serielle Geräte der Gruppe dialout. Treten Sie ihr mit „sudo usermod -aG dialout $USER“ bei und melden Sie sich dann ab und wieder an.</translation>
    </message>
    <message>
        <source>记录时把每一行同时写入文件</source>
        <translation>Beim Protokollieren wird jede Zeile auch in eine Datei geschrieben</translation>
    </message>
    <message>
        <source>记录到文件</source>
        <translation>In Datei aufzeichnen</translation>
    </message>
    <message>
        <source>更改文件夹</source>
        <translation>Ordner ändern</translation>
    </message>
    <message>
        <source>打开文件夹</source>
        <translation>Ordner öffnen</translation>
    </message>
    <message>
        <source>趋势</source>
        <translation>Verläufe</translation>
    </message>
    <message>
        <source>5 分钟</source>
        <translation>5 Minuten</translation>
    </message>
    <message>
        <source>1 小时</source>
        <translation>1 Stunde</translation>
    </message>
    <message>
        <source>全部</source>
        <translation>Alles</translation>
    </message>
    <message>
        <source>返回实时</source>
        <translation>Zurück zu live</translation>
    </message>
    <message>
        <source>打开记录</source>
        <translation>Aufzeichnung öffnen</translation>
    </message>
    <message>
        <source>记录无法写入 %1：
%2

记录到文件已停止。表格仍在继续记录，请导出表格以保存这些行。</source>
        <translation>Das Protokoll konnte nicht nach %1 aufgezeichnet werden:
%2

Die Aufzeichnung in die Datei wurde gestoppt. Die Tabelle protokolliert weiter; exportieren Sie sie, um ihre Zeilen zu behalten.</translation>
    </message>
    <message>
        <source>记录已停止</source>
        <translation>Aufzeichnung gestoppt</translation>
    </message>
    <message>
        <source>正在记录到 %1  ·  %2 行  ·  %3</source>
        <translation>Aufzeichnung nach %1  ·  %2 Zeilen  ·  %3</translation>
    </message>
    <message>
        <source>记录已停止：%1</source>
        <translation>Aufzeichnung gestoppt: %1</translation>
    </message>
    <message>
        <source>记录到文件已关闭：记录的行只保存在表格中</source>
        <translation>Aufzeichnung in Datei ist aus: protokollierte Zeilen bleiben nur in der Tabelle</translation>
    </message>
    <message>
        <source>已记录到 %1  ·  %2 行  ·  %3</source>
        <translation>Aufgezeichnet in %1  ·  %2 Zeilen  ·  %3</translation>
    </message>
    <message>
        <source>记录的行将同时写入 %1</source>
        <translation>Protokollierte Zeilen werden auch nach %1 geschrieben</translation>
    </message>
    <message>
        <source>记录文件夹</source>
        <translation>Ordner für Aufzeichnungen</translation>
    </message>
    <message>
        <source>无法打开文件夹 %1。</source>
        <translation>Der Ordner %1 konnte nicht geöffnet werden.</translation>
    </message>
    <message>
        <source>%1 的第 %2 行无法读取：第 %3 列（“%4”）中的“%5”不是%6。</source>
        <translation>Zeile %2 von %1 konnte nicht gelesen werden: Spalte %3 („%4“) enthält „%5“; erwartet wird %6.</translation>
    </message>
    <message>
        <source>无法打开 %1：
%2</source>
        <translation>%1 konnte nicht geöffnet werden:
%2</translation>
    </message>
    <message>
        <source>%1 不是本程序的记录：第 %2 行不是表头。</source>
        <translation>%1 ist kein Protokoll dieses Programms: Zeile %2 ist nicht seine Kopfzeile.</translation>
    </message>
    <message>
        <source>%1 的第 %2 行不完整。</source>
        <translation>Zeile %2 von %1 ist abgeschnitten.</translation>
    </message>
    <message>
        <source>%1 的第 %2 行有 %3 列，应为 %4 列。</source>
        <translation>Zeile %2 von %1 hat %3 Spalten statt %4.</translation>
    </message>
    <message>
        <source>有效日期</source>
        <translation>ein Datum</translation>
    </message>
    <message>
        <source>有效时间</source>
        <translation>eine Uhrzeit</translation>
    </message>
    <message>
        <source>数字</source>
        <translation>eine Zahl</translation>
    </message>
    <message>
        <source>本次运行的实时数据</source>
        <translation>Live-Daten dieses Laufs</translation>
    </message>
    <message>
        <source>%1  ·  %2 行</source>
        <translation>%1  ·  %2 Zeilen</translation>
    </message>
    <message>
        <source>打开失败</source>
        <translation>Öffnen fehlgeschlagen</translation>
    </message>
    <message>
        <source>未载入任何数据。</source>
        <translation>Es wurde nichts geladen.</translation>
    </message>
    <message>
        <source>另一个程序正占用该串口（例如 minicom 或 screen 等终端程序、正在探测新适配器的 ModemManager，或本工具的另一个窗口）。请先关闭它。</source>
        <translation>Ein anderes Programm belegt die Schnittstelle (ein Terminal wie minicom oder screen, ModemManager beim Prüfen eines neuen Adapters oder eine weitere Instanz dieses Programms). Schließen Sie es zuerst.</translation>
    </message>
    <message>
        <source>此列可容纳的数字</source>
        <translation>eine Zahl, die diese Spalte fassen kann</translation>
    </message>
    <message>
        <source>最后一行（第 %1 行）不完整，已略去。</source>
        <translation>Die letzte Zeile (Zeile %1) ist unvollständig und wurde ausgelassen.</translation>
    </message>
    <message>
        <source>文件共有 %1 行，超过上限 %2 行：只载入了最新的 %2 行。</source>
        <translation>Die Datei enthält %1 Zeilen, mehr als die Grenze von %2: Nur die neuesten %2 Zeilen wurden geladen.</translation>
    </message>
    <message>
        <source>记录未完整载入</source>
        <translation>Aufzeichnung teilweise geladen</translation>
    </message>
    <message>
        <source>已从 %1 载入 %2 行。</source>
        <translation>%2 Zeilen aus %1 geladen.</translation>
    </message>
    <message>
        <source>轮询周期：300 到 9999 ms</source>
        <translation>Abfragetakt: 300 bis 9999 ms</translation>
    </message>
    <message>
        <source>关于 Arvex</source>
        <translation>Über Arvex</translation>
    </message>
    <message>
        <source>最小化</source>
        <translation>Minimieren</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>总压过压报警阈值</source>
        <translation>Pack-Überspannung Alarm</translation>
    </message>
    <message>
        <source>输入的值无效 ！</source>
        <translation>Ungültiger Wert!</translation>
    </message>
    <message>
        <source>%1 至 %2</source>
        <translation>%1 bis %2</translation>
    </message>
    <message>
        <source>范围：%1</source>
        <translation>Bereich: %1</translation>
    </message>
    <message>
        <source>%1，范围 %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>仍然写入地址 %1 的电池包？</source>
        <translation>Trotzdem in das Pack an Adresse %1 schreiben?</translation>
    </message>
    <message>
        <source>输入的参数超过 [%1 - %2] 的范围。</source>
        <translation>Der Wert liegt außerhalb des Bereichs [%1 - %2].</translation>
    </message>
    <message>
        <source>输入的周期 %1 ms 超过 [%2 - %3] ms 的范围，周期仍为 %4 ms。</source>
        <translation>Ein Takt von %1 ms liegt außerhalb des Bereichs [%2 - %3] ms; der Takt bleibt bei %4 ms.</translation>
    </message>
    <message>
        <source>%1 OPENED, %2, %3, %4, %5, %6</source>
        <translation>%1 GEÖFFNET, %2, %3, %4, %5, %6</translation>
    </message>
    <message>
        <source>NONE</source>
        <translation>KEINE</translation>
    </message>
    <message>
        <source>EVEN/ODD</source>
        <translation>GERADE/UNGERADE</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>AUS</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>EIN</translation>
    </message>
    <message>
        <source>%1 CLOSED</source>
        <translation>%1 GESCHLOSSEN</translation>
    </message>
    <message>
        <source>将地址 %1 的电池包的全部参数恢复为出厂值？
当前的设置将丢失。</source>
        <translation>Alle Parameter des Packs an Adresse %1 auf die Werkseinstellungen zurücksetzen?
Seine aktuellen Einstellungen gehen verloren.</translation>
    </message>
    <message>
        <source>重新初始化地址 %1 的电池包的 SOC？
当前的荷电状态将被丢弃。</source>
        <translation>Den Ladezustand (SOC) des Packs an Adresse %1 neu initialisieren?
Sein aktueller Ladezustand wird verworfen.</translation>
    </message>
    <message>
        <source>复位地址 %1 的电池包的系统？
板子将重新启动，一两秒内不回应。</source>
        <translation>Das System des Packs an Adresse %1 zurücksetzen?
Die Platine startet neu und antwortet ein bis zwei Sekunden lang nicht.</translation>
    </message>
    <message>
        <source>读回失败：%1 次请求均未得到有效回复</source>
        <translation>Zurücklesen fehlgeschlagen: keine von %1 Anfragen erhielt eine gültige Antwort</translation>
    </message>
    <message>
        <source>请确认</source>
        <translation>Bitte bestätigen</translation>
    </message>
    <message>
        <source>自 %1 起无数据</source>
        <translation>Keine Daten seit %1</translation>
    </message>
    <message>
        <source>尚无数据</source>
        <translation>Noch keine Daten</translation>
    </message>
    <message>
        <source>这块板子不报告此报警，指示灯一直是灰色。</source>
        <translation>Diese Platine meldet diesen Alarm nicht; die Lampe bleibt grau.</translation>
    </message>
    <message>
        <source>这块板子不使用此阈值：既不读出，也不写入。</source>
        <translation>Diese Platine verwendet diese Schwelle nicht: sie wird weder gelesen noch geschrieben.</translation>
    </message>
    <message>
        <source>已导出 %1 行到 %2</source>
        <translation>%1 Zeilen nach %2 exportiert</translation>
    </message>
    <message>
        <source>第一行到达时开始记录到 %1</source>
        <translation>Die Aufzeichnung in %1 beginnt mit der ersten Zeile</translation>
    </message>
    <message>
        <source>正在记录 %1 个文件到 %2  ·  %3 行  ·  %4</source>
        <translation>Aufzeichnung von %1 Dateien nach %2  ·  %3 Zeilen  ·  %4</translation>
    </message>
    <message>
        <source>已记录 %1 个文件到 %2  ·  %3 行  ·  %4</source>
        <translation>%1 Dateien aufgezeichnet nach %2  ·  %3 Zeilen  ·  %4</translation>
    </message>
    <message>
        <source>总览</source>
        <translation>Übersicht</translation>
    </message>
    <message>
        <source>扫描地址</source>
        <translation>Adressen suchen</translation>
    </message>
    <message>
        <source>至</source>
        <translation>bis</translation>
    </message>
    <message>
        <source>扫描</source>
        <translation>Suchen</translation>
    </message>
    <message>
        <source>停止扫描</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>电池组：尚无电池包</source>
        <translation>Bank: noch keine Packs</translation>
    </message>
    <message>
        <source>电池组：没有电池包在应答</source>
        <translation>Bank: kein Pack antwortet</translation>
    </message>
    <message>
        <source>电池组（%1/%2 个电池包在应答）：电流 %3 A · 功率 %4 W · 平均 SOC %5 %</source>
        <translation>Bank (%1 von %2 Packs antworten): Strom %3 A · Leistung %4 W · mittlerer SOC %5 %</translation>
    </message>
    <message>
        <source>最低电芯 %1 mV（电池包 %2 #%3）</source>
        <translation>niedrigste Zelle %1 mV (Pack %2 #%3)</translation>
    </message>
    <message>
        <source>一轮 %1 ms，长于周期 %2 ms：线路以其最快速度轮询</source>
        <translation>Umlauf %1 ms &gt; Takt %2 ms: so schnell, wie die Leitung erlaubt</translation>
    </message>
    <message>
        <source>一轮 %1 ms（周期 %2 ms）</source>
        <translation>Umlauf %1 ms (Takt %2 ms)</translation>
    </message>
    <message>
        <source>无数据：%1</source>
        <translation>keine Daten: %1</translation>
    </message>
    <message>
        <source>正在扫描……</source>
        <translation>Suche läuft…</translation>
    </message>
    <message numerus="yes">
        <source>找到 %n 个电池包：%1</source>
        <translation>
            <numerusform>%n Pack gefunden: %1</numerusform>
            <numerusform>%n Packs gefunden: %1</numerusform>
        </translation>
    </message>
    <message>
        <source>没有电池包应答；轮询列表未变</source>
        <translation>Kein Pack hat geantwortet; die Abfrageliste bleibt</translation>
    </message>
    <message>
        <source>扫描已停止；轮询列表未变</source>
        <translation>Suche gestoppt; die Abfrageliste bleibt</translation>
    </message>
    <message>
        <source>%1 s 无应答</source>
        <translation>seit %1 s keine Antwort</translation>
    </message>
    <message>
        <source>%1 min 无应答</source>
        <translation>seit %1 min keine Antwort</translation>
    </message>
    <message>
        <source>%1 h 无应答</source>
        <translation>seit %1 h keine Antwort</translation>
    </message>
    <message>
        <source>电池包 %1</source>
        <translation>Pack %1</translation>
    </message>
    <message>
        <source>电池包 %1 · 编号 %2</source>
        <translation>Pack %1 · Nr. %2</translation>
    </message>
    <message>
        <source>这些页面显示并写入的电池包。在总览页选择其他电池包。</source>
        <translation>Das Pack, das diese Seiten zeigen und beschreiben. Ein anderes Pack wählen Sie in der Übersicht.</translation>
    </message>
    <message>
        <source>等待应答</source>
        <translation>wartet auf Antwort</translation>
    </message>
    <message>
        <source>充电 %1 A</source>
        <translation>lädt %1 A</translation>
    </message>
    <message>
        <source>放电 %1 A</source>
        <translation>entlädt %1 A</translation>
    </message>
    <message>
        <source>静置 %1 A</source>
        <translation>Ruhe %1 A</translation>
    </message>
    <message>
        <source>最低 %1 mV #%2   最高 %3 mV #%4</source>
        <translation>min %1 mV #%2   max %3 mV #%4</translation>
    </message>
    <message>
        <source>无电芯电压</source>
        <translation>keine Zellspannungen</translation>
    </message>
    <message>
        <source>压差 %1 mV   最高温度 %2 °C</source>
        <translation>Diff. %1 mV   wärmster %2 °C</translation>
    </message>
    <message>
        <source>超时 %1</source>
        <translation>Timeouts %1</translation>
    </message>
    <message>
        <source>往返 %1 ms</source>
        <translation>Antwortzeit %1 ms</translation>
    </message>
    <message>
        <source>应用差异</source>
        <translation>Unterschiede anwenden</translation>
    </message>
    <message>
        <source>应用到…</source>
        <translation>Anwenden auf…</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Anhalten</translation>
    </message>
    <message>
        <source>参数配置</source>
        <translation>Parameterprofil</translation>
    </message>
    <message>
        <source>参数</source>
        <translation>Einstellung</translation>
    </message>
    <message>
        <source>单位</source>
        <translation>Einheit</translation>
    </message>
    <message>
        <source>板子</source>
        <translation>Platine</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>范围</source>
        <translation>Bereich</translation>
    </message>
    <message>
        <source>对比</source>
        <translation>Vergleich</translation>
    </message>
    <message>
        <source>地址：</source>
        <translation>Adressen:</translation>
    </message>
    <message>
        <source>文件：%1</source>
        <translation>Datei: %1</translation>
    </message>
    <message>
        <source>，保存于 %1</source>
        <translation>, gespeichert am %1</translation>
    </message>
    <message>
        <source>，来自地址 %1</source>
        <translation>, von Adresse %1</translation>
    </message>
    <message>
        <source>板子与文件一致。</source>
        <translation>Die Platine stimmt mit der Datei überein.</translation>
    </message>
    <message>
        <source>%1 项与文件不同或未知。</source>
        <translation>%1 Einstellungen weichen von der Datei ab oder sind unbekannt.</translation>
    </message>
    <message>
        <source>≠ 不同</source>
        <translation>≠ abweichend</translation>
    </message>
    <message>
        <source>? 未读回</source>
        <translation>? nicht zurückgelesen</translation>
    </message>
    <message>
        <source>未知</source>
        <translation>unbekannt</translation>
    </message>
    <message>
        <source>地址无效</source>
        <translation>Ungültige Adressen</translation>
    </message>
    <message>
        <source>正在处理地址 %1（%2/%3）</source>
        <translation>Bearbeite Adresse %1 (%2/%3)</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>Fertig</translation>
    </message>
    <message>
        <source>无法写入审计文件 %1：%2</source>
        <translation>Die Protokolldatei %1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>保存配置…</source>
        <translation>Profil speichern…</translation>
    </message>
    <message>
        <source>打开配置…</source>
        <translation>Profil öffnen…</translation>
    </message>
    <message>
        <source>保存配置</source>
        <translation>Profil speichern</translation>
    </message>
    <message>
        <source>已保存地址 %1 的 %2 项参数到 %3</source>
        <translation>%2 Einstellungen von Adresse %1 in %3 gespeichert</translation>
    </message>
    <message>
        <source>板子的值超出范围，未保存：%1</source>
        <translation>Werte der Platine außerhalb des Bereichs, nicht gespeichert: %1</translation>
    </message>
    <message>
        <source>打开配置</source>
        <translation>Profil öffnen</translation>
    </message>
    <message>
        <source>配置文件无效</source>
        <translation>Ungültiges Profil</translation>
    </message>
    <message>
        <source>配置与板子矛盾</source>
        <translation>Profil widerspricht der Platine</translation>
    </message>
    <message>
        <source>文件的值与地址 %1 的板子的值矛盾，不能应用：</source>
        <translation>Die Werte der Datei widersprechen denen der Platine an Adresse %1; sie kann nicht angewendet werden:</translation>
    </message>
    <message>
        <source>文件中有不在任何页面上的参数，已忽略，不会写入：%1</source>
        <translation>Die Datei enthält Werte, die keine Seite zeigt; sie wurden übergangen und werden nicht geschrieben: %1</translation>
    </message>
    <message>
        <source>板子的值互相矛盾，这个文件将无法打开：</source>
        <translation>Die Werte der Platine widersprechen einander; diese Datei lässt sich nicht öffnen:</translation>
    </message>
    <message>
        <source>本次运行的实时数据：电池包 %1</source>
        <translation>Live-Daten dieses Laufs: Pack %1</translation>
    </message>
    <message>
        <source>只显示差异</source>
        <translation>Nur Unterschiede</translation>
    </message>
    <message>
        <source>不在参数页上</source>
        <translation>Auf keiner Parameterseite</translation>
    </message>
    <message numerus="yes">
        <source>将与文件不同的 %n 项参数写入地址 %1 的电池包？</source>
        <translation>
            <numerusform>Die %n von der Datei abweichende Einstellung in das Pack mit Adresse %1 schreiben?</numerusform>
            <numerusform>Die %n von der Datei abweichenden Einstellungen in das Pack mit Adresse %1 schreiben?</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>先读回地址 %1 的电池包，再写入与文件不同的参数（最多 %n 项）？</source>
        <translation>
            <numerusform>Das Pack mit Adresse %1 zurücklesen und dann die von der Datei abweichenden Einstellungen schreiben (höchstens %n)?</numerusform>
            <numerusform>Das Pack mit Adresse %1 zurücklesen und dann die von der Datei abweichenden Einstellungen schreiben (höchstens %n)?</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>先逐个读回 %n 个电池包（地址 %1），再向每个写入与文件不同的参数（每个最多 %2 项）？</source>
        <translation>
            <numerusform>Das Pack mit Adresse %1 zurücklesen und dann die von der Datei abweichenden Einstellungen hineinschreiben (höchstens %2)?</numerusform>
            <numerusform>Die %n Packs (Adressen %1) nacheinander zurücklesen und dann in jedes die von der Datei abweichenden Einstellungen schreiben (höchstens %2 je Pack)?</numerusform>
        </translation>
    </message>
    <message>
        <source>已停止</source>
        <translation>Angehalten</translation>
    </message>
    <message numerus="yes">
        <source>地址 %1 的电池包目前有 %n 项与文件不同。</source>
        <translation>
            <numerusform>Das Pack mit Adresse %1 weicht derzeit in %n Einstellung von der Datei ab.</numerusform>
            <numerusform>Das Pack mit Adresse %1 weicht derzeit in %n Einstellungen von der Datei ab.</numerusform>
        </translation>
    </message>
    <message>
        <source>电芯 %1 内阻偏高</source>
        <translation>Zelle %1: hoher Innenwiderstand</translation>
    </message>
</context>
<context>
    <name>ParameterProfile</name>
    <message>
        <source>%1：%2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>不是配置文件可以保存的参数。</source>
        <translation>keine Einstellung, die ein Profil enthalten kann.</translation>
    </message>
    <message>
        <source>应为带 &quot;value&quot; 和 &quot;unit&quot; 的对象。</source>
        <translation>erwartet wird ein Objekt mit &quot;value&quot; und &quot;unit&quot;.</translation>
    </message>
    <message>
        <source>未知的键。</source>
        <translation>unbekannter Schlüssel.</translation>
    </message>
    <message>
        <source>值必须是整数。</source>
        <translation>der Wert muss eine ganze Zahl sein.</translation>
    </message>
    <message>
        <source>值 %1 超出范围 [%2 - %3]。</source>
        <translation>Wert %1 liegt außerhalb von [%2 - %3].</translation>
    </message>
    <message>
        <source>单位应为 &quot;%1&quot;，文件中为 &quot;%2&quot;。</source>
        <translation>die Einheit muss &quot;%1&quot; sein, die Datei sagt &quot;%2&quot;.</translation>
    </message>
    <message>
        <source>（不是文本）</source>
        <translation>(kein Text)</translation>
    </message>
    <message>
        <source>文件大于 1 MiB，不是参数配置文件。</source>
        <translation>Die Datei ist größer als 1 MiB; sie ist kein Parameterprofil.</translation>
    </message>
    <message>
        <source>这个键出现了两次。</source>
        <translation>dieser Schlüssel kommt zweimal vor.</translation>
    </message>
    <message>
        <source>不是有效的参数配置文件：嵌套过深。</source>
        <translation>Kein gültiges Parameterprofil: zu tief verschachtelt.</translation>
    </message>
    <message>
        <source>不是有效的 JSON（第 %1 个字节：%2）。</source>
        <translation>Kein gültiges JSON (bei Byte %1: %2).</translation>
    </message>
    <message>
        <source>不是有效的参数配置文件：应为一个 JSON 对象。</source>
        <translation>Kein gültiges Parameterprofil: erwartet wird ein JSON-Objekt.</translation>
    </message>
    <message>
        <source>不是参数配置文件（应为 &quot;%1&quot;）。</source>
        <translation>kein Parameterprofil (erwartet wird &quot;%1&quot;).</translation>
    </message>
    <message>
        <source>不支持的版本 %1，本程序读取版本 %2。</source>
        <translation>nicht unterstützte Version %1; dieses Programm liest Version %2.</translation>
    </message>
    <message>
        <source>（无）</source>
        <translation>(keine)</translation>
    </message>
    <message>
        <source>类型或取值不对。</source>
        <translation>falscher Typ oder Wert.</translation>
    </message>
    <message>
        <source>应为一个对象，每个参数一项。</source>
        <translation>erwartet wird ein Objekt mit einem Eintrag je Einstellung.</translation>
    </message>
    <message>
        <source>文件中没有任何参数。</source>
        <translation>die Datei enthält keine Einstellungen.</translation>
    </message>
    <message>
        <source>无法读取文件：%1</source>
        <translation>Die Datei kann nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>无法写入 %1：%2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
</context>
<context>
    <name>ProfileJob</name>
    <message>
        <source>已确认</source>
        <translation>bestätigt</translation>
    </message>
    <message>
        <source>板子未采用</source>
        <translation>von der Platine nicht übernommen</translation>
    </message>
    <message>
        <source>已发送，未确认</source>
        <translation>gesendet, nicht bestätigt</translation>
    </message>
    <message>
        <source>未发送</source>
        <translation>nicht gesendet</translation>
    </message>
    <message>
        <source>地址 %1：与文件一致</source>
        <translation>Adresse %1: stimmt mit der Datei überein</translation>
    </message>
    <message>
        <source>地址 %1：%2 项与文件不同</source>
        <translation>Adresse %1: %2 Einstellungen weichen von der Datei ab</translation>
    </message>
    <message>
        <source>地址 %1：已读回</source>
        <translation>Adresse %1: zurückgelesen</translation>
    </message>
    <message>
        <source>地址 %1：%2 项已写入并确认</source>
        <translation>Adresse %1: %2 Einstellungen geschrieben und bestätigt</translation>
    </message>
    <message>
        <source>地址 %1：写入 %2 项，%3 项未确认</source>
        <translation>Adresse %1: %2 Einstellungen geschrieben, %3 nicht bestätigt</translation>
    </message>
    <message>
        <source>地址 %1：写入 %2 项，%3 项未确认，%4 项未发送</source>
        <translation>Adresse %1: %2 Einstellungen geschrieben, %3 nicht bestätigt, %4 nicht gesendet</translation>
    </message>
    <message>
        <source>地址 %1：板子没有回应，未写入</source>
        <translation>Adresse %1: die Platine antwortet nicht; nichts geschrieben</translation>
    </message>
    <message>
        <source>地址 %1：已停止，未写入</source>
        <translation>Adresse %1: angehalten; nichts geschrieben</translation>
    </message>
    <message>
        <source>地址 %1：串口已关闭</source>
        <translation>Adresse %1: die Schnittstelle ist geschlossen</translation>
    </message>
    <message>
        <source>%1：板子 %2，文件 %3 %4</source>
        <translation>%1: Platine %2, Datei %3 %4</translation>
    </message>
    <message>
        <source>未知</source>
        <translation>unbekannt</translation>
    </message>
    <message>
        <source>%1：%2 → %3：%4</source>
        <translation>%1: %2 → %3: %4</translation>
    </message>
    <message>
        <source>没有给出地址。</source>
        <translation>Keine Adresse angegeben.</translation>
    </message>
    <message>
        <source>串口未打开。</source>
        <translation>Die Schnittstelle ist nicht geöffnet.</translation>
    </message>
    <message>
        <source>%1：板子的值超出范围，未保存。</source>
        <translation>%1: der Wert der Platine liegt außerhalb des Bereichs; nicht gespeichert.</translation>
    </message>
    <message>
        <source>已保存到 %1</source>
        <translation>Gespeichert in %1</translation>
    </message>
    <message>
        <source>无法写入审计文件 %1：%2</source>
        <translation>Die Protokolldatei %1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>地址 %1：未写入，文件的值与板子的值矛盾：%2</source>
        <translation>Adresse %1: nichts geschrieben; die Werte der Datei widersprechen denen der Platine: %2</translation>
    </message>
    <message>
        <source>%1：不在任何页面上的参数，已忽略。</source>
        <translation>%1: ein Wert, den keine Seite zeigt; übergangen.</translation>
    </message>
    <message>
        <source>%1：板子的值互相矛盾，这个文件将无法打开：%2</source>
        <translation>%1: die Werte der Platine widersprechen einander; diese Datei lässt sich nicht öffnen: %2</translation>
    </message>
    <message numerus="yes">
        <source>%n 块已确认</source>
        <translation>
            <numerusform>%n bestätigt</numerusform>
            <numerusform>%n bestätigt</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 块本已一致</source>
        <translation>
            <numerusform>%n bereits gleich</numerusform>
            <numerusform>%n bereits gleich</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 块已读回</source>
        <translation>
            <numerusform>%n gelesen</numerusform>
            <numerusform>%n gelesen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 块与文件不同</source>
        <translation>
            <numerusform>%n abweichend</numerusform>
            <numerusform>%n abweichend</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 块未确认</source>
        <translation>
            <numerusform>%n nicht bestätigt</numerusform>
            <numerusform>%n nicht bestätigt</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 块没有回应</source>
        <translation>
            <numerusform>%n ohne Antwort</numerusform>
            <numerusform>%n ohne Antwort</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 块未写入</source>
        <translation>
            <numerusform>%n nicht geschrieben</numerusform>
            <numerusform>%n nicht geschrieben</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 块因串口关闭未写入</source>
        <translation>
            <numerusform>%n nicht geschrieben, Port geschlossen</numerusform>
            <numerusform>%n nicht geschrieben, Port geschlossen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 块因值矛盾未写入</source>
        <translation>
            <numerusform>%n nicht geschrieben, Werte widersprüchlich</numerusform>
            <numerusform>%n nicht geschrieben, Werte widersprüchlich</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1/%n 块板子</source>
        <translation>
            <numerusform>%1 von %n Platine</numerusform>
            <numerusform>%1 von %n Platinen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n 块板子</source>
        <translation>
            <numerusform>%n Platine</numerusform>
            <numerusform>%n Platinen</numerusform>
        </translation>
    </message>
    <message>
        <source>%1：%2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>，</source>
        <translation>, </translation>
    </message>
</context>
<context>
    <name>Recording</name>
    <message>
        <source>无法创建文件夹。</source>
        <translation>Der Ordner kann nicht angelegt werden.</translation>
    </message>
    <message>
        <source>文件在记录期间被删除。</source>
        <translation>Die Datei wurde während der Aufzeichnung gelöscht.</translation>
    </message>
    <message>
        <source>未知错误。</source>
        <translation>Unbekannter Fehler.</translation>
    </message>
</context>
<context>
    <name>ThresholdPairs</name>
    <message>
        <source>%1 %2 不高于%3 %4：任何电压都会触发其中一个保护。</source>
        <translation>%1 %2 liegt nicht über %3 %4: jede Spannung würde einen der beiden Schutzmechanismen auslösen.</translation>
    </message>
    <message>
        <source>%1 %2 不高于%3 %4：保护一触发就会立即解除。</source>
        <translation>%1 %2 liegt nicht über %3 %4: der Schutz würde gleich nach dem Auslösen wieder freigeben.</translation>
    </message>
    <message>
        <source>%1 %2 不低于%3 %4：保护一触发就会立即解除。</source>
        <translation>%1 %2 liegt nicht unter %3 %4: der Schutz würde gleich nach dem Auslösen wieder freigeben.</translation>
    </message>
</context>
<context>
    <name>TrendView</name>
    <message>
        <source>总电压</source>
        <translation>Packspannung</translation>
    </message>
    <message>
        <source>电流</source>
        <translation>Strom</translation>
    </message>
    <message>
        <source>SOC</source>
        <translation>SOC</translation>
    </message>
    <message>
        <source>最大电压</source>
        <translation>Höchste Zelle</translation>
    </message>
    <message>
        <source>最小电压</source>
        <translation>Niedrigste Zelle</translation>
    </message>
    <message>
        <source>平均电压</source>
        <translation>Mittlere Zelle</translation>
    </message>
    <message>
        <source>MOS</source>
        <translation>MOS</translation>
    </message>
    <message>
        <source>TS1</source>
        <translation>TS1</translation>
    </message>
    <message>
        <source>TS2</source>
        <translation>TS2</translation>
    </message>
    <message>
        <source>TS3</source>
        <translation>TS3</translation>
    </message>
    <message>
        <source>TS4</source>
        <translation>TS4</translation>
    </message>
    <message>
        <source>环境</source>
        <translation>Umgebung</translation>
    </message>
</context>
<context>
    <name>WriteMarks</name>
    <message>
        <source>已输入，尚未发送</source>
        <translation>Eingegeben, noch nicht gesendet</translation>
    </message>
    <message>
        <source>已发送，等待读回确认</source>
        <translation>Gesendet, wartet auf die Bestätigung durch das Zurücklesen</translation>
    </message>
    <message>
        <source>已确认：板子保存了 %1</source>
        <translation>Bestätigt: die Platine hält %1</translation>
    </message>
    <message>
        <source>板子保留了 %1，未采用发送的 %2</source>
        <translation>Die Platine behielt %1 statt der gesendeten %2</translation>
    </message>
    <message>
        <source>未确认：读回没有显示板子的值（发送的是 %1）</source>
        <translation>Nicht bestätigt: kein Zurücklesen zeigte den Wert der Platine (gesendet wurde %1)</translation>
    </message>
    <message>
        <source>已发送，无法确认：读回不含此值</source>
        <translation>Gesendet, nicht bestätigbar: das Zurücklesen enthält diesen Wert nicht</translation>
    </message>
</context>
</TS>
