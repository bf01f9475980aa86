<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>ManoeuvreHint</name>
    <message>
        <source>No tacks or gybes</source>
        <translation>タック・ジャイブなし</translation>
    </message>
    <message>
        <source>1 tack</source>
        <translation>タック 1回</translation>
    </message>
    <message>
        <source>%1 tacks</source>
        <translation>タック %1回</translation>
    </message>
    <message>
        <source>1 gybe</source>
        <translation>ジャイブ 1回</translation>
    </message>
    <message>
        <source>%1 gybes</source>
        <translation>ジャイブ %1回</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <comment>tacks, gybes</comment>
        <translation>%1・%2</translation>
    </message>
    <message>
        <source>%1, %2 m lost on average</source>
        <translation>%1・平均ロス %2 m</translation>
    </message>
</context>
<context>
    <name>velaro::BoatListPanel</name>
    <message>
        <source>     Boat Name </source>
        <translation>       艇&#x3000;名          &#x3000;         艇&#x3000;名</translation>
    </message>
    <message>
        <source>Checked boats are focused.
Unchecked boats are out of focus.

R-Click to focus only %1</source>
        <translation>ﾁｪｯｸの入った艇がﾌｫｰｶｽされます。
右ｸﾘｯｸで%1
のみ残して他全艇のﾌｫｰｶｽを外します。

SHIFT+左ｸﾘｯｸで１艇のみ常時強調表示します
(再度SHIFT+左ｸﾘｯｸで強調表示を解除)</translation>
    </message>
    <message>
        <source>Left Button =&gt; Focus All Boats.</source>
        <translation>左ｸﾘｯｸで全艇にﾁｪｯｸが入ります</translation>
    </message>
</context>
<context>
    <name>velaro::DesktopDocuments</name>
    <message>
        <source>Hide Unfocused Boat ?</source>
        <translation>フォーカスの外れた艇を隠しますか？
（いいえの場合はフォーカスの外れた艇を細線で表示します）</translation>
    </message>
    <message>
        <source>Saved %1. No program is set to open .%2 files; open it by hand.</source>
        <translation>%1 に保存しました。.%2 ファイルを開くプログラムが設定されていません。手動で開いてください。</translation>
    </message>
</context>
<context>
    <name>velaro::IgnoredRecordsMessage</name>
    <message>
        <source>a race holds %1 boats</source>
        <translation>1レースの艇数は %1 までです</translation>
    </message>
    <message>
        <source>a race holds %1 marks</source>
        <translation>1レースのマーク数は %1 までです</translation>
    </message>
    <message>
        <source>a race holds %1 lines</source>
        <translation>1レースのライン数は %1 までです</translation>
    </message>
    <message>
        <source>a race holds %1 reference lines</source>
        <translation>1レースの参照ライン数は %1 までです</translation>
    </message>
    <message>
        <source>a race holds %1 attachments</source>
        <translation>1レースの添付ファイル数は %1 までです</translation>
    </message>
    <message>
        <source>a race holds %1 map names</source>
        <translation>1レースの地図名は %1 までです</translation>
    </message>
    <message>
        <source>a course holds %1 items</source>
        <translation>コースの項目数は %1 までです</translation>
    </message>
    <message>
        <source>no such log in gpsdat</source>
        <translation>gpsdat にそのログがありません</translation>
    </message>
    <message>
        <source>the log is named outside gpsdat</source>
        <translation>ログが gpsdat の外を指しています</translation>
    </message>
    <message>
        <source>the log is a folder</source>
        <translation>ログがフォルダです</translation>
    </message>
    <message>
        <source>the log is not a file (%1)</source>
        <translation>ログがファイルではありません（%1）</translation>
    </message>
    <message>
        <source>the log cannot be read (%1)</source>
        <translation>ログを読めません（%1）</translation>
    </message>
    <message>
        <source>line %1: boat &quot;%2&quot; (%3): %4</source>
        <translation>%1 行目: 艇「%2」（%3）: %4</translation>
    </message>
    <message>
        <source>line %1: %2 &quot;%3&quot;: %4</source>
        <translation>%1 行目: %2「%3」: %4</translation>
    </message>
    <message>
        <source>These records of %1 were not loaded:</source>
        <translation>%1 の次のレコードは読み込まれませんでした:</translation>
    </message>
    <message>
        <source>and %1 more (velaro-cli info lists them all).</source>
        <translation>ほか %1 件（velaro-cli info ですべて表示されます）。</translation>
    </message>
</context>
<context>
    <name>velaro::LogsToRace</name>
    <message>
        <source>A race is being made from logs; try again when it is shown.</source>
        <translation>ログからレースを作成中です。表示されてから、もう一度お試しください。</translation>
    </message>
    <message>
        <source>Not a GPS log (gpx, gdb, mps, trl, dtr, trk): %1</source>
        <translation>GPSログ（gpx, gdb, mps, trl, dtr, trk）ではありません: %1</translation>
    </message>
    <message>
        <source>No race was made: %1</source>
        <translation>レースを作成できませんでした: %1</translation>
    </message>
    <message>
        <source>Made %1 from %2 logs:</source>
        <translation>%2個のログから %1 を作成しました:</translation>
    </message>
    <message>
        <source>Left out, not GPS logs: %1</source>
        <translation>GPSログではないため除外: %1</translation>
    </message>
    <message>
        <source>Open GPS logs as a new race</source>
        <translation>GPSログを開いて新しいレースにする</translation>
    </message>
    <message>
        <source>GPS logs (%1)</source>
        <translation>GPSログ (%1)</translation>
    </message>
</context>
<context>
    <name>velaro::MainWindow</name>
    <message>
        <source>New race</source>
        <translation>新しいレース</translation>
    </message>
</context>
<context>
    <name>velaro::MapInteraction</name>
    <message>
        <source>Red wake boats are faster than avg boats</source>
        <translation>平均速度より速い艇の航跡が赤字で表示されます</translation>
    </message>
    <message>
        <source>Left Button =&gt; Enlarge Map.
Right Button =&gt; Shrink Map
(Click point is a center of map)

Shift Key to be Range &amp; Bearing Measuring Mode
MouseDown to Set Base Point and Move to
Indicate Range and Bearing to New Point</source>
        <translation>左ｸﾘｯｸでｸﾘｯｸした点を中心に地図が拡大
右ｸﾘｯｸで縮小します

Shiftを押している間は距離方位計測ﾓｰﾄﾞになります
ｸﾘｯｸすると基点が設定され､マウスを移動すると
移動した地点までの距離、方位を表示します</translation>
    </message>
    <message>
        <source>Click to set base point</source>
        <translation>基点の位置をクリック</translation>
    </message>
</context>
<context>
    <name>velaro::RaceControlPanel</name>
    <message>
        <source>Gaps to the leader</source>
        <translation>先頭艇との差</translation>
    </message>
    <message>
        <source>Polars</source>
        <translation>ポーラー</translation>
    </message>
    <message>
        <source>Tracks coloured by speed</source>
        <translation>航跡を速度で色分け</translation>
    </message>
    <message>
        <source>Open GPS logs as a new race...</source>
        <translation>GPSログを開いて新しいレースにする...</translation>
    </message>
    <message>
        <source>Race File Name</source>
        <translation> レースファイル名</translation>
    </message>
    <message>
        <source>AutoNext</source>
        <translation>自動切換</translation>
    </message>
    <message>
        <source>EXIT</source>
        <translation>EXIT</translation>
    </message>
    <message>
        <source>SHOW</source>
        <translation>表示</translation>
    </message>
    <message>
        <source>Page</source>
        <translation>Page</translation>
    </message>
    <message>
        <source>Track</source>
        <translation>軌跡</translation>
    </message>
    <message>
        <source>Graph</source>
        <translation>ｸﾞﾗﾌ</translation>
    </message>
    <message>
        <source>Table</source>
        <translation>数表</translation>
    </message>
    <message>
        <source>Orientation</source>
        <translation>表示方位</translation>
    </message>
    <message>
        <source>NorthWd</source>
        <translation>北が上</translation>
    </message>
    <message>
        <source>WindWd</source>
        <translation>風向</translation>
    </message>
    <message>
        <source>Auto Trace</source>
        <translation>軌跡追尾</translation>
    </message>
    <message>
        <source>Layline</source>
        <translation>レイライン</translation>
    </message>
    <message>
        <source>Comp Ht</source>
        <translation>比較線</translation>
    </message>
    <message>
        <source>Boat Name</source>
        <translation>艇名表示</translation>
    </message>
    <message>
        <source>Boat Size</source>
        <translation>艇拡大</translation>
    </message>
    <message>
        <source>Tips</source>
        <translation>操作説明</translation>
    </message>
    <message>
        <source>Retouch</source>
        <translation>画像処理</translation>
    </message>
    <message>
        <source>Google Earth</source>
        <translation>Google Earth</translation>
    </message>
    <message>
        <source>Attachment</source>
        <translation>添付資料表示</translation>
    </message>
    <message>
        <source>Sea Color</source>
        <translation>Sea Color</translation>
    </message>
    <message>
        <source>AUTO</source>
        <translation>AUTO</translation>
    </message>
    <message>
        <source>ZOOM</source>
        <translation>ZOOM</translation>
    </message>
    <message>
        <source>SPEED</source>
        <translation>SPEED</translation>
    </message>
    <message>
        <source>    Show Google Earth
Left Button =&gt; All Race
Right Button =&gt; Present Scene
(△Button to Restart)</source>
        <translation>  Google Earthを表示します
左ｸﾘｯｸ → 全レース
右ｸﾘｯｸ → 現在表示中のシーン
(再開するには△ボタンを押してください)</translation>
    </message>
</context>
<context>
    <name>velaro::ShellHints</name>
    <message>
        <source>Auto changer on/off</source>
        <translation>ファイルを順次自動切換えします</translation>
    </message>
    <message>
        <source>Choose race file at left box
then click here to show it.</source>
        <translation>左のボックスでレースを選び
このボタンでそれを表示します</translation>
    </message>
    <message>
        <source>Enlarge Disp Boat Size</source>
        <translation>艇の表示サイズを拡大/縮小します</translation>
    </message>
    <message>
        <source>    Show Help</source>
        <translation>  HELPを表示します</translation>
    </message>
    <message>
        <source>TWD graph can be ON/OFF when click map.</source>
        <translation>地図画面をクリックすると風向グラフ表示をON/OFFできます</translation>
    </message>
    <message>
        <source>Show following attachment file</source>
        <translation>下記の添付ファイルを表示します</translation>
    </message>
    <message>
        <source>
&lt;Velaro&gt;
yacht racing browser

Replays GPS race logs.

Free; no warranty.

&lt;Click: about Velaro&gt;</source>
        <translation>
&lt;Velaro&gt;
yacht racing browser

GPSログでレースを再生

フリーソフト・無保証

&lt;クリックで概要表示&gt;</translation>
    </message>
</context>
<context>
    <name>velaro::SplashForm</name>
    <message>
        <source>Velaro developers · open source sailing tools</source>
        <translation>Velaro 開発者 · オープンソースのセーリングツール</translation>
    </message>
    <message>
        <source>Powered by</source>
        <translation>Powered by</translation>
    </message>
    <message>
        <source>LOADING  %1  (%2/%3)</source>
        <translation>読込中  %1  (%2/%3)</translation>
    </message>
</context>
<context>
    <name>velaro::StopwatchWidget</name>
    <message>
        <source>STOP</source>
        <translation>STOP</translation>
    </message>
    <message>
        <source>TIMER/OFF</source>
        <translation>TIMER/OFF</translation>
    </message>
    <message>
        <source>TIMER/ON</source>
        <translation>TIMER/ON</translation>
    </message>
</context>
<context>
    <name>velaro::TimeBarWidget</name>
    <message>
        <source>Click to change the time.
(%1)
(White zone = UpWind   )
(Gray zone   = DownWind )</source>
        <translation>クリックで時間を瞬時に変更します
(白はUpWind、灰色はDownWind )
(%1)</translation>
    </message>
</context>
<context>
    <name>velaro::TransportPanel</name>
    <message>
        <source>GO/STOP</source>
        <translation>GO/STOP</translation>
    </message>
</context>
<context>
    <name>velaro::VideoProgress</name>
    <message>
        <source>Writing %1</source>
        <translation>%1 を書き出しています</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
</context>
</TS>
