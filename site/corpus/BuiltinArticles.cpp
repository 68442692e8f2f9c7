// The demo encyclopedia, written for Quillory.
//
// Markup: "= Title | Category" starts an article; a blank line ends a paragraph; [[Title]] or
// [[Title|shown text]] links to another article; [[http://...|shown text]] leaves the site.
// "~ Name -> Title" is a redirect; "@ Main Page: A; B; C" lists the articles of the main page.

extern const char kBuiltinArticles[];
const char kBuiltinArticles[] = R"QUILL(
@ Main Page: Cat; Bread; Moon; Bicycle; Music; Chess; River; Telephone

~ Kitten -> Cat
~ Puppy -> Dog
~ Soccer -> Football
~ Aeroplane -> Airplane
~ Sea -> Ocean
~ Pianoforte -> Piano
~ Web -> World Wide Web
~ Bike -> Bicycle
~ Rock paper scissors -> Rock - paper - scissors

= Cat | Animals
The cat is a small furry animal that many families keep at home. Cats sleep for much of the day and
like a warm spot near a [[Candle|candle]] or in a sunny corner of the [[Kitchen|kitchen]].

A cat hunts mice and chases anything that moves, from a piece of string to a [[Spider|spider]]. Cats and
[[Dog|dogs]] can become friends when they grow up together, and some cats even watch the [[Goldfish|goldfish]]
bowl for hours.

= Dog | Animals
The dog has lived beside people longer than any other tame animal. Dogs guard houses, herd sheep in the
[[Village|village]] fields and fetch sticks thrown into the [[River|river]].

A dog needs a walk every day, rain or shine, and many owners take theirs to the [[Park|park]]. Puppies love
to chew shoes and the legs of a [[Chair|chair]]. Some dogs learn to ride on a [[Bicycle|bicycle]] basket.

= Horse | Animals
Horses are large, fast animals with long legs and flowing manes. Before the [[Train|train]] and the car,
horses pulled carts along every [[Road|road]] and carried riders from [[City|city]] to [[Village|village]].

Today people ride horses for fun and for sport, and a horse may still be seen at a country
[[Market|market]] or grazing near a [[Forest|forest]].

= Bee | Animals
A bee is a small flying insect that lives in a busy hive with thousands of others. Bees visit flowers in
the [[Garden|garden]] and carry pollen from one bloom to the next, which helps fruit such as the
[[Apple|apple]] to grow.

Inside the hive the bees turn nectar into [[Honey|honey]] and store it in wax cells for the
[[Winter|winter]].

= Owl | Animals
Owls are birds that hunt at night. Their large eyes gather the faint glow of the [[Moon|moon]], and their
soft feathers let them fly without a sound over the [[Forest|forest]].

An owl can turn its head much further than a person can. Like every [[Bird|bird]] it has feathers, and in many stories the owl stands for wisdom, and
it often appears in a picture [[Book|book]] for children.

= Whale | Animals
Whales are the largest animals in the [[Ocean|ocean]]. They breathe air through a blowhole on top of
their heads and rise to the surface again and again.

Some whales sing long, slow songs that travel far under the water, a kind of [[Music|music]] of the deep
sea. Sailors on a [[Ship|ship]] have watched whales for centuries.

= Goldfish | Animals
The goldfish is a small orange fish that people keep in bowls and garden ponds. It needs clean
[[Water|water]], a little food each day and a quiet place away from the [[Cat|cat]].

Goldfish can live for many years and learn to swim to the top when someone comes near with food. A
[[Puzzle|puzzle]] with a goldfish on the box is a favourite in many homes.

= Spider | Animals
A spider has eight legs and spins threads of silk to build its web. Webs are often found in the corners of
a shed in the [[Garden|garden]] or between the branches of a bush after [[Rain|rain]], when drops of water
hang on every thread.

Spiders catch flies and other small insects, and many a [[Bird|bird]] catches spiders. They are a welcome guest for any
[[Bee|beekeeper]] who wants fewer pests.

= Bread | Food
Bread is made from flour, [[Water|water]], [[Salt|salt]] and yeast. The dough is kneaded, left to rise and
baked in a hot oven until the crust turns brown.

Two slices make a [[Sandwich|sandwich]]. Fresh bread is sold every morning at the [[Market|market]] and in bakeries across every
[[City|city]]. It goes well with [[Cheese|cheese]], [[Honey|honey]] or a bowl of [[Soup|soup]]. See also
the [[List of breads|list of breads]].

= Cheese | Food
Cheese is made from milk that is thickened, pressed and left to ripen. Some cheeses are soft and mild,
others hard and sharp, and a few have blue veins running through them.

Cheese is a topping on [[Pizza|pizza]], a filling in a [[Sandwich|sandwich]] of [[Bread|bread]] and a treat after dinner
with an [[Apple|apple]].

= Tea | Food
Tea is a drink made by pouring hot [[Water|water]] over dried leaves. It is served with milk, with lemon, or
plain, and some people add a spoon of [[Honey|honey]].

In many homes the kettle is the busiest thing in the [[Kitchen|kitchen]]. Tea and [[Coffee|coffee]] are the
two most popular hot drinks, and a cup of tea is a good excuse to sit down with a [[Book|book]].

= Coffee | Food
Coffee is brewed from roasted and ground beans. Its strong smell fills a [[Kitchen|kitchen]] in the morning
and wakes up sleepy people on their way to [[School|school]] or work.

A coffee house is a place to meet friends, read the news or listen to quiet [[Music|music]]. Coffee with a
piece of [[Chocolate|chocolate]] is a small everyday pleasure.

= Chocolate | Food
Chocolate is made from the seeds of the cacao tree, which are roasted, ground and mixed with sugar. It can
be dark, milky or white, and it melts in a warm hand.

Chocolate is a common [[Birthday|birthday]] present and a favourite on a [[Holiday|holiday]]. Hot chocolate
is a warming drink in [[Winter|winter]].

= Apple | Food
The apple is a round fruit that grows on trees in orchards and gardens. Apples can be red, green or yellow,
sweet or sour, and they keep for months in a cool cellar.

Apples are eaten raw, baked in pies or pressed into juice. Their blossoms feed the [[Bee|bees]] in spring,
and the fruit is picked at the end of [[Summer|summer]]. See the [[List of fruits|list of fruits]] for
others.

= Rice | Food
Rice is a grain grown in flooded fields called paddies; it cannot grow in a [[Desert|desert]]. It needs plenty of [[Rain|rain]] or
[[River|river]] water, and it feeds more people than almost any other crop.

Rice is boiled, steamed or fried, and it is served with vegetables, fish or [[Soup|soup]]. Sacks of rice
are piled high at every [[Market|market]].

= Soup | Food
Soup is a warm dish of vegetables, meat, beans or [[Rice|rice]] cooked in [[Water|water]] or stock. A big pot of soup
simmers for hours on the stove of a [[Kitchen|kitchen]].

Soup is best on a cold day in [[Winter|winter]], with a slice of [[Bread|bread]] on the side. A pinch of
[[Salt|salt]] brings out its taste.

= Honey | Food
Honey is the sweet, sticky food that [[Bee|bees]] make from the nectar of flowers. Its colour and taste
depend on the flowers the bees visited, from pale clover honey to dark forest honey.

People spread honey on [[Bread|bread]], stir it into [[Tea|tea]] and use it in cakes. A jar of honey keeps
for a very long time.

= Pizza | Food
Pizza is a flat round of dough topped with tomato, [[Cheese|cheese]] and whatever else the cook likes,
then baked in a very hot oven.

The last slice is often won at [[Rock - paper - scissors]]. Pizza is often shared by friends watching [[Football|football]] or a [[Film|film]]. In many a
[[City|city]] a pizza can be ordered by [[Telephone|telephone]] and delivered by [[Bicycle|bicycle]].

= Salt | Food
Salt is a white mineral that gives food its taste and keeps it from spoiling. Thick layers of it lie under many a [[Desert|desert]]. It is dug from mines or
gathered where [[Ocean|sea]] water dries in shallow pans under the [[Sun|sun]].

A little salt goes into [[Bread|bread]], [[Soup|soup]] and most other dishes. In winter salt is spread on
the [[Road|road]] to melt ice and [[Snow|snow]].

= Kitchen | Home
The kitchen is the room where food is cooked and often where the family gathers. It holds a stove, a sink
with running [[Water|water]], cupboards and usually a table with a few [[Chair|chairs]].

The [[Cat|cat]] likes to sleep by the warm stove. A [[Clock|clock]] on the kitchen wall tells the cook when the [[Bread|bread]] is ready, and the kettle is
always close at hand for [[Tea|tea]].

= Garden | Home
A garden is a piece of ground where people grow flowers, vegetables or fruit trees. It needs sun, good soil
and regular [[Rain|rain]] or a watering can.

Gardens are full of life: [[Bee|bees]] among the flowers, a [[Spider|spider]] in the hedge and a [[Bird|bird]] in the
[[Apple|apple]] tree. Many gardeners keep a small pond for [[Goldfish|goldfish]].

= Chair | Home
A chair is a seat for one person, with a back and usually four legs. Chairs are made of wood, metal or
plastic and stand around tables in the [[Kitchen|kitchen]], the [[School|school]] and the
[[Library|library]].

A rocking chair sways back and forth, and a folding chair is easy to carry to the [[Garden|garden]] or the
[[Theatre|theatre]].

= Candle | Home
A candle is a stick of wax with a wick through the middle. When the wick is lit, the wax melts and the flame
gives a soft yellow [[Light|light]].

Before [[Electricity|electricity]] candles lit every home at night. Today the electric [[Lamp|lamp]] does their work, and candles are lit on a
[[Birthday|birthday]] cake, during a [[Holiday|holiday]] or when the power goes out.

= Clock | Home
A clock shows the time with hands on a dial or with numbers on a screen. Old clocks are driven by a
swinging pendulum; most new ones run on a small battery of [[Electricity|electricity]].

Clocks keep trains on time at the [[Train|railway]] station and tell children when [[School|school]]
begins. A large clock often sits on the tower of a [[City|city]] hall. The days a clock counts add up to a
[[Week|week]].

= Umbrella | Home
An umbrella is a folding roof of cloth on a stick that keeps off the [[Rain|rain]]. It opens with a push of
a button and closes small enough to carry in a bag.

On a windy day an umbrella may turn inside out. At the beach a large umbrella gives shade from the
[[Sun|sun]] in [[Summer|summer]].

= Moon | Nature
The Moon is the bright round body that circles the Earth about once a month. It has no
[[Light|light]] of its own; it shines because the [[Sun|sun]] lights it up.

The Moon pulls on the [[Ocean|ocean]] and causes the tides. Through a [[Telescope|telescope]] its craters and
mountains can be seen clearly. The changing shape of the Moon gave people one of the first
[[Calendar|calendars]].

= Sun | Nature
The Sun is the star at the centre of our solar system. It gives the Earth its [[Light|light]] and warmth,
and without it nothing could grow in a [[Garden|garden]] or a [[Forest|forest]].

A passing [[Cloud|cloud]] hides it for a while. The Sun rises in the east and sets in the west, and its path across the sky is longer in
[[Summer|summer]] than in [[Winter|winter]]. The Sun bakes the sand of the [[Desert|desert]]. When sunlight falls on [[Rain|rain]] a [[Rainbow|rainbow]] may
appear.

= Rain | Nature
Rain is water that falls from a [[Cloud|cloud]] in drops. It fills every [[River|river]], waters the
[[Garden|garden]] and the fields of [[Rice|rice]], and washes the streets of the [[City|city]].

When it rains, people open an [[Umbrella|umbrella]] and children jump in puddles. In cold weather rain
turns to [[Snow|snow]].

= River | Nature
A river is a stream of fresh [[Water|water]] that flows downhill from the [[Mountain|mountains]] to the
[[Ocean|ocean]]. Along the way it collects rain and melting [[Snow|snow]].

Rivers have carried boats and goods for thousands of years, and many a [[City|city]] was built where a
[[Bridge|bridge]] could cross one. See the [[List of rivers|list of rivers]].

= Mountain | Nature
A mountain is a part of the land that rises high above its surroundings. Its top is often hidden in a [[Cloud|cloud]] and covered with
[[Snow|snow]] even in [[Summer|summer]], and its slopes are home to goats and eagles.

Some mountains are old [[Volcano|volcanoes]]. Climbing a mountain takes strength, good boots and a [[Map|map]], and the view
from the top can reach across a whole [[Forest|forest]] to the next [[River|river]].

= Forest | Nature
A forest is a large area covered with trees. Forests give shelter to the [[Owl|owl]], every kind of [[Bird|bird]], the deer and many
other animals, and they clean the air that we breathe.

Wood from the forest becomes [[Paper|paper]], furniture such as the [[Chair|chair]], and firewood. A walk in
the forest after [[Rain|rain]] smells of moss and earth.

= Ocean | Nature
The ocean is the huge body of salt water that covers most of the Earth. It is home to the
[[Whale|whale]], countless fish and forests of seaweed.

Under the ocean many a [[Volcano|volcano]] is hidden. The tides of the ocean follow the [[Moon|moon]]. A [[Ship|ship]] crosses the ocean in days, and a
[[Lighthouse|lighthouse]] guides it safely into the [[Harbour|harbour]]. From the ocean comes much of our
[[Salt|salt]].

= Snow | Nature
Snow is frozen water that falls from the clouds as soft white flakes. Every flake has six arms, and no two
look quite the same.

Snow covers the [[Mountain|mountains]] in [[Winter|winter]] and turns a [[Village|village]] white overnight.
Children build snowmen, and people with a [[Bicycle|bicycle]] leave it at home until the roads are clear.

= Volcano | Nature
A volcano is an opening in the Earth's crust through which hot melted rock, ash and gas escape. Many
volcanoes are cone-shaped [[Mountain|mountains]] built up by their own eruptions.

Some volcanoes rise from the floor of the [[Ocean|ocean]] and form a new [[Island|island]]. The soil around
a sleeping volcano is rich, so farmers grow grapes and [[Apple|apples]] on its slopes.

= Desert | Nature
A desert is a dry place where very little [[Rain|rain]] falls. Days under the [[Sun|sun]] are hot, but nights
can be cold, and the wind shapes the sand into dunes.

Plants and animals of the desert are good at saving [[Water|water]]. Travellers once crossed deserts on camels, which can go without water longer than a [[Horse|horse]],
from one [[Market|market]] town to the next.

= Island | Nature
An island is a piece of land surrounded by water. Some islands are green and wet, others as dry as a [[Desert|desert]]. Some are tiny rocks in a [[River|river]], others
are whole countries in the [[Ocean|ocean]].

People reach an island by [[Ship|ship]], by [[Airplane|airplane]] or over a long [[Bridge|bridge]]. Many
islands were built by a [[Volcano|volcano]], and many have a [[Lighthouse|lighthouse]] and a small [[Harbour|harbour]] for fishing boats.

= Water | Science
Water is a clear liquid without taste or smell, and every living thing needs it. It freezes into ice and
[[Snow|snow]] when it is cold and boils into steam when it is very hot.

Water falls as [[Rain|rain]], runs in every [[River|river]] and fills the [[Ocean|ocean]]. A
[[Goldfish|goldfish]] lives in it, and a cup of [[Tea|tea]] starts with it.

= Electricity | Science
Electricity is the flow of tiny charged particles through a wire. It powers the [[Lamp|lamp]], the
[[Computer|computer]], the [[Radio|radio]] and the [[Telephone|telephone]].

Lightning is electricity in the sky. A [[Magnet|magnet]] spinning inside a coil of wire can make
electricity, which is how power stations work. Before electricity, homes were lit by the
[[Candle|candle]].

= Magnet | Science
A magnet is a piece of iron or another metal that pulls on other iron objects. Every magnet has a north and
a south pole; opposite poles attract and like poles push apart.

The Earth itself acts as a giant magnet, which is why a compass needle points north and why sailors on a
[[Ship|ship]] could find their way. Magnets are at work in every loudspeaker and in machines that make
[[Electricity|electricity]].

= Gravity | Science
Gravity is the pull that every object has on every other. It keeps our feet on the ground, makes an
[[Apple|apple]] fall from the tree and holds the [[Moon|moon]] in its path around the Earth.

Gravity also keeps the Earth circling the [[Sun|sun]]. Rockets and the [[Airplane|airplane]] must work hard
to overcome it.

= Light | Science
Light is what lets us see. It comes from the [[Sun|sun]], from fire, from the flame of a
[[Candle|candle]] and from the [[Lamp|lamp]], powered by [[Electricity|electricity]].

White light is a mix of many colours, which a prism or a [[Rainbow|rainbow]] spreads apart. A
[[Camera|camera]] and a [[Telescope|telescope]] both work by bending light with lenses.

= Rainbow | Science
A rainbow is an arc of colours that appears in the sky when the [[Sun|sun]] shines on falling
[[Rain|rain]]. Each drop splits the sunlight into red, orange, yellow, green, blue and violet.

Rainbows are often seen in the afternoon after a summer shower, and a fine spray from a garden hose or a
waterfall on a [[Mountain|mountain]] can make a small one. Painters have tried to catch the rainbow in many a
[[Painting|painting]].

= Telescope | Science
A telescope makes faraway things look near. It gathers [[Light|light]] with lenses or mirrors, so that the
craters of the [[Moon|moon]] and the rings of distant planets come into view.

Some telescopes are small enough to carry, others fill a whole building on a [[Mountain|mountain]] top.
Sailors used small telescopes to spot land from a [[Ship|ship]].

= Calendar | Science
A calendar divides time into days, each [[Week|week]] into seven days, and the year into twelve months. It
follows the [[Sun|sun]], the [[Moon|moon]] or both.

People mark a [[Birthday|birthday]] or a [[Holiday|holiday]] on the calendar on the [[Kitchen|kitchen]]
wall. Some years, such as [[1984]], have an extra day in February.

= Train | Transport
A train is a line of carriages pulled along steel rails by an engine. Trains carry people between one
[[City|city]] and another and haul goods across whole countries.

The first trains were pulled by steam engines; most trains now run on [[Electricity|electricity]]. A train
crosses a [[River|river]] on a long [[Bridge|bridge]] and keeps to its timetable by the station
[[Clock|clock]].

= Bicycle | Transport
A bicycle has two wheels, pedals and a chain, and it is moved by the rider's own legs. It needs no fuel and
makes no noise, which makes it a favourite in the [[City|city]].

People ride bicycles to [[School|school]], to the [[Market|market]] and along paths by the
[[River|river]]. Racing cyclists ride over a [[Mountain|mountain]] pass during long summer races.

= Ship | Transport
A ship is a large boat that travels across the [[Ocean|ocean]]. Ships carry goods in containers, people on
holiday and fish caught far from the shore.

A ship finds its way with a [[Map|map]], a [[Magnet|compass]] and the stars and docks in a [[Harbour|harbour]]. At night
the beam of a [[Lighthouse|lighthouse]] warns it of rocks near an [[Island|island]].

= Airplane | Transport
An airplane flies on fixed wings, often above the [[Cloud|clouds]], lifted by the air that rushes over them. Engines push it forward fast
enough to overcome [[Gravity|gravity]].

Airplanes carry travellers to a faraway [[Island|island]] or [[City|city]] in a few hours. From the window
a passenger can see a [[River|river]] winding through the land and the snow on a [[Mountain|mountain]].

= Bridge | Transport
A bridge carries a [[Road|road]] or a railway over a [[River|river]], a valley or another road. Bridges are
built of stone, wood, steel or concrete.

Some bridges are short planks over a stream in a [[Village|village]]; others hang from steel cables and are
long enough for a [[Train|train]] to take minutes to cross.

= Road | Transport
A road is a prepared way for travel, drawn as a line on every [[Map|map]]. Roads link every [[Village|village]] and [[City|city]], climb over each
[[Mountain|mountain]] pass and cross rivers on a [[Bridge|bridge]].

Cars, buses, lorries, the rider on a [[Horse|horse]] and the [[Bicycle|bicycle]] all share the road. In winter the roads are cleared of
[[Snow|snow]] and sprinkled with [[Salt|salt]].

= Telephone | Technology
The telephone lets two people talk to each other over a long distance. It turns the voice into signals of
[[Electricity|electricity]] or radio waves and back again.

Early telephones hung on the wall; today most people carry a small one that is also a [[Camera|camera]], a
[[Clock|clock]] and a little [[Computer|computer]] with the [[Internet|internet]] inside.

= Radio | Technology
Radio sends sound through the air as invisible waves. A radio set catches the waves and turns them back into
voices and [[Music|music]].

Radio brings news, [[Football|football]] matches and songs into the [[Kitchen|kitchen]] and the car. Ships
at sea use radio to talk to each [[Harbour|harbour]].

= Computer | Technology
A computer is a machine that follows instructions to work with numbers, words, pictures and sound. It runs
on [[Electricity|electricity]] and stores what it knows in memory.

Computers play games such as [[Chess|chess]] and solve a [[Puzzle|puzzle]] in a flash, help write a [[Book|book]], and connect to one another over the
[[Internet|internet]].

= Internet | Technology
The internet is the worldwide network that joins millions of computers. Messages travel over it in small
packets through cables under the [[Ocean|ocean]] and by radio.

The best known use of the internet is the [[World Wide Web]], but it also carries e-mail, calls from a
[[Telephone|telephone]] and games between players who never meet, like the one you are playing now.

= World Wide Web | Technology
The World Wide Web is a huge collection of pages joined by links, reached over the
[[Internet|internet]] with a program called a browser. Each page has an address, and clicking a link
jumps to another page.

An encyclopedia on the web is like a [[Library|library]] where every [[Book|book]] points to others.
One example address is [[http://example.org/|example.org]], a page kept aside for examples.

= Camera | Technology
A camera records pictures by letting [[Light|light]] fall through a lens onto film or a sensor. Cameras can
take still photographs or moving pictures for a [[Film|film]].

Many people take their camera on a [[Holiday|holiday]], to a [[Birthday|birthday]] party or up a
[[Mountain|mountain]] to catch the view.

= Paper | Technology
Paper is a thin sheet made from wood pulp or rags pressed flat and dried. Most paper comes from trees of
the [[Forest|forest]].

Paper is used to print a [[Book|book]], to write letters, to fold into a [[Kite|kite]] and to wrap a
[[Birthday|birthday]] present. Old paper can be recycled into new.

= Music | Arts
Music is sound arranged in time, with rhythm, melody and harmony. It is played on instruments such as the
[[Piano|piano]], the [[Guitar|guitar]] and the [[Drum|drum]], or sung as a [[Song|song]].

People listen to music on the [[Radio|radio]], dance to it at a party and hear it in the
[[Theatre|theatre]]. See the [[List of musical instruments|list of musical instruments]].

= Piano | Arts
The piano is a large instrument with black and white keys. Pressing a key makes a small hammer strike a
string, so the piano is both a string instrument and a kind of [[Drum|drum]].

Many children learn [[Music|music]] at the piano. A piano accompanies a [[Song|song]], a
[[Dance|dance]] class or a silent [[Film|film]].

= Guitar | Arts
A guitar has a hollow wooden body, a long neck and six strings that are plucked or strummed. It is easy to
carry, so it travels to parties, beaches and camp fires.

The guitar plays in almost every style of [[Music|music]], often together with the [[Drum|drum]], and
accompanies many a [[Song|song]].

= Drum | Arts
A drum is a hollow body with a skin stretched over it, played with hands or sticks. Drums keep the beat in
[[Music|music]] and in a marching band.

Drums are among the oldest instruments of all. A drum roll builds tension at the [[Theatre|theatre]] and
before a goal at a [[Football|football]] match.

= Song | Arts
A song is a short piece of [[Music|music]] with words that are sung. Songs tell stories, share feelings and
are passed down from grandparents to grandchildren.

Songs are sung at a [[Birthday|birthday]], on the [[Radio|radio]] and in the [[Theatre|theatre]]. Many songs
began as [[Poetry|poems]].

= Dance | Arts
Dance is moving the body in time with [[Music|music]]. People dance at weddings, at festivals and on a
[[Holiday|holiday]], alone, in pairs or in large groups.

Ballet is danced on the stage of a [[Theatre|theatre]], and folk dances are passed down in every
[[Village|village]]. A [[Drum|drum]] beat is often all that a dance needs.

= Painting | Arts
Painting is the art of putting colour on a surface with a brush. Painters show landscapes, people, still
lifes of [[Apple|apples]] and [[Cheese|cheese]], or shapes and colours alone.

Great paintings hang in the [[Museum|museum]], and many painters have tried to catch the
[[Light|light]] of the [[Sun|sun]] on water.

= Theatre | Arts
A theatre is a building where actors perform plays in front of an audience. The stage is lit by bright
[[Light|lights]], and the audience sits in rows of seats.

Theatres also show [[Dance|dance]], opera and concerts of [[Music|music]]. Many plays were later made into a
[[Film|film]] or printed as a [[Book|book]].

= Film | Arts
A film tells a story with moving pictures taken by a [[Camera|camera]]. The first films were silent and
played with live [[Piano|piano]] music.

People watch films at the cinema, on television or on a [[Computer|computer]]. Many films are based on a
[[Book|book]] or a play from the [[Theatre|theatre]].

= Book | Arts
A book is a set of printed pages bound together between covers. Books hold stories, [[Poetry|poems]], [[Puzzle|puzzles]],
recipes and knowledge of every kind.

Books are borrowed from the [[Library|library]], read at [[School|school]] and given as a
[[Birthday|birthday]] present. They are printed on [[Paper|paper]].

= Library | Places
A library is a place that lends [[Book|books]] to anyone who asks. Libraries are quiet, with long shelves,
reading tables and a [[Chair|chair]] for every reader.

Most libraries also lend films and music and offer [[Computer|computers]] to reach the
[[Internet|internet]]. A [[School|school]] usually has a small library of its own.

= Poetry | Arts
Poetry is writing that uses rhythm, sound and images to say a lot in few words. Poems may rhyme or not, and
many are meant to be read aloud.

Poets write about the [[Moon|moon]], the [[Ocean|ocean]], love and everyday things. A poem set to
[[Music|music]] becomes a [[Song|song]].

= Football | Sports
Football is a game for two teams of eleven players who try to kick a ball into the other team's goal. Only
the goalkeeper may touch the ball with the hands.

Football is played in parks, in school yards and in huge stadiums in every [[City|city]]. Fans follow the
matches on the [[Radio|radio]] and share a [[Pizza|pizza]] while they watch. The
[[Olympic Games]] have a football tournament too.

= Chess | Games
Chess is a board game for two players, each with sixteen pieces: a king, a queen, two rooks, two bishops,
two knights and eight pawns. The goal is to trap the other player's king.

Who plays white is sometimes settled by a round of [[Rock - paper - scissors]]. Chess has been played for many centuries and is now also played against a [[Computer|computer]] or over the
[[Internet|internet]]. It is one of many games in the [[List of board games|list of board games]].

= Swimming | Sports
Swimming is moving through [[Water|water]] with the arms and legs. People swim in pools, lakes, a
[[River|river]] or the [[Ocean|ocean]], for fun or in races.

Swimming races are part of the [[Olympic Games]]. On a hot [[Summer|summer]] day a swim is the best way to
cool down.

= Tennis | Sports
Tennis is played with rackets and a small ball that is hit over a net. Players score points when the other
side cannot return the ball.

Tennis is played on grass, clay or hard courts, mostly in [[Summer|summer]]. It has been part of the
[[Olympic Games]] in many years, among them [[1984]].

= Olympic Games | Sports
The Olympic Games are a great sporting festival held every four years, with athletes from almost every
country. Events include running, [[Swimming|swimming]], [[Tennis|tennis]] and [[Football|football]].

The Summer Games were held in [[1984]] in Los Angeles, and the Winter Games of [[2006]] took place in Turin,
with races on [[Snow|snow]] and ice. Each Games opens in a host [[City|city]] with music and
[[Dance|dance]].

= Rock - paper - scissors | Games
Rock - paper - scissors is a hand game for two players. Both count to three and show a fist for rock, a
flat hand for [[Paper|paper]] or two fingers for scissors.

Rock beats scissors, scissors beat paper and paper beats rock. The game settles small arguments, such as who
goes first at [[Chess|chess]] or who gets the last slice of [[Pizza|pizza]].

= Card game | Games
A card game is played with a deck of printed cards. The usual deck has fifty-two cards in four suits, and
hundreds of games can be played with it.

Card games, like [[Rock - paper - scissors]], mix luck with quick wits. They are played at the [[Kitchen|kitchen]] table on a rainy evening, on a [[Train|train]] journey or
during a [[Holiday|holiday]]. Like [[Chess|chess]], many card games are also played on a
[[Computer|computer]].

= Kite | Games
A kite is a light frame covered with [[Paper|paper]] or cloth and flown on a long string. The wind lifts it
high into the sky while the flier holds on below.

A kite rises on the wind much as a [[Bird|bird]] does. Kites are flown on beaches, hills and in the [[Park|park]] on a windy day. Some kites are shaped like birds,
dragons or even a [[Whale|whale]].

= Puzzle | Games
A puzzle is a game or a problem that tests cleverness. A jigsaw puzzle is a picture cut into many pieces
that must be fitted together again.

Crosswords in a newspaper, riddles in a [[Book|book]] and problems on the [[Chess|chess]] board are puzzles
too. Some people solve puzzles on the [[Computer|computer]], others on the [[Kitchen|kitchen]] table.

= City | Places
A city is a large town where many thousands of people live and work close together. It has streets, shops,
a [[Market|market]], a [[Museum|museum]] and usually a [[Library|library]].

Its cafés serve [[Coffee|coffee]] from early morning. People move around a city by bus, [[Train|train]] or [[Bicycle|bicycle]]. Many cities grew up on a
[[River|river]] or by a [[Harbour|harbour]].

= Village | Places
A village is a small group of houses in the countryside, often with a church, a shop and a
[[School|school]]. Everybody knows everybody.

Villagers keep a [[Cat|cat]] against the mice, a [[Garden|garden]] and a [[Horse|horse]] or two, grow [[Apple|apples]] and bake [[Bread|bread]]. Roads lead from the
village to the nearest [[City|city]].

= Market | Places
A market is a place where people buy and sell goods, often from stalls in the open air. Farmers bring fresh
[[Apple|apples]], sacks of [[Rice|rice]], [[Cheese|cheese]], [[Honey|honey]] and [[Bread|bread]].

A cup of [[Coffee|coffee]] at a stall warms the early shoppers. Markets are the heart of many a [[Village|village]] and [[City|city]], and people come to meet as much as to
shop.

= School | Places
A school is a place where children learn to read, write and count. Pupils sit at desks on a
[[Chair|chair]] each and learn from teachers.

Schools teach [[Music|music]], sport and science, and many have a [[Library|library]] and
[[Computer|computers]]. After lessons pupils play [[Football|football]] in the yard or a quick game of [[Rock - paper - scissors]].

= Museum | Places
A museum keeps objects of art, history or science and shows them to visitors. A visit may show an old
[[Painting|painting]], a dinosaur skeleton or the first [[Telephone|telephone]].

Museums are found in every [[City|city]], and children come on trips from [[School|school]] to see them.

= Lighthouse | Places
A lighthouse is a tall tower on a coast or an [[Island|island]] with a bright lamp at the top. Its turning
[[Light|light]] warns ships of rocks and shows the way into the [[Harbour|harbour]].

In the past keepers lived in the lighthouse and kept the lamp burning every night. Today most lighthouses run
on [[Electricity|electricity]] alone.

= Harbour | Places
A harbour is a sheltered stretch of water where a [[Ship|ship]] can dock safely. Cranes unload goods, and
fishing boats bring in their catch from the [[Ocean|ocean]].

A [[Lighthouse|lighthouse]] often stands at the harbour mouth, and a busy [[Market|market]] grows up beside
it. Many a [[City|city]] began as a harbour.

= Park | Places
A park is an open green space in a town or [[City|city]] where anyone may walk, play and rest. It has
lawns, trees, paths and often a pond.

In the park people walk the [[Dog|dog]], ride a [[Horse|horse]] along the bridle path, fly a [[Kite|kite]], play [[Football|football]] and sit on benches
in the [[Sun|sun]] with a [[Sandwich|sandwich]].

= Week | Time
A week is a period of seven days. The days of the week are named in many languages after the
[[Sun|sun]], the [[Moon|moon]] and old gods.

Most people work or go to [[School|school]] on five days of the week and rest on the weekend. Every
[[Calendar|calendar]] is built of weeks.

= Winter | Time
Winter is the coldest season of the year, when days are short and nights are long. In many places the
ground is covered with [[Snow|snow]].

In winter people wear warm coats, drink hot [[Chocolate|chocolate]] and eat [[Soup|soup]]. Many winter
holidays are lit with [[Candle|candles]].

= Summer | Time
Summer is the warmest season of the year, with long days and short nights. Schools close for a long
[[Holiday|holiday]].

In summer people go [[Swimming|swimming]], play [[Tennis|tennis]] and eat outdoors in the
[[Garden|garden]]. Fruit such as the [[Apple|apple]] ripens towards its end.

= Birthday | Time
A birthday is the day of the year on which a person was born. It is celebrated with a party, presents and a
cake with one [[Candle|candle]] for every year.

A surprise present may be as plain as a bright new [[Umbrella|umbrella]]. Friends sing a birthday [[Song|song]], and some families mark every birthday on the
[[Calendar|calendar]].

= Holiday | Time
A holiday is a day or a time of rest from work or [[School|school]]. Some holidays celebrate a season or an
old story; others are simply days off.

On holiday people travel by [[Train|train]], [[Ship|ship]] or [[Airplane|airplane]], visit an
[[Island|island]] or stay at home and play a [[Card game|card game]].

= 1984 | Years
1984 was a leap year that began on a Sunday. It had 366 days, one more than most years on the
[[Calendar|calendar]].

In 1984 the Summer [[Olympic Games]] were held in Los Angeles. Home [[Computer|computers]] were becoming
common in that year.

= 2006 | Years
2006 was a year of 365 days that began on a Sunday, like [[1984]].

In 2006 the Winter [[Olympic Games]] took place in Turin and the world [[Football|football]] championship was
played in Germany.

= List of rivers | Lists
This list names some of the rivers of the world, from the longest to smaller ones.

Nile, Amazon, Yangtze, Mississippi, Danube, Rhine, Thames, Ganges.

See [[River]] for how rivers form, and [[Bridge]] for how people cross them.

= List of musical instruments | Lists
Instruments in this encyclopedia: [[Piano]], [[Guitar]], [[Drum]].

Others include the violin, the flute, the trumpet and the harp. See [[Music]].

= List of breads | Lists
Breads around the world include the baguette, pita, rye bread, naan and sourdough.

All are made from flour and [[Water|water]]; see [[Bread]].

= List of fruits | Lists
Fruits include the [[Apple]], the pear, the orange, the banana, the grape and the cherry.

Fruit trees need [[Bee|bees]] to carry their pollen. See also [[Garden]].

= List of board games | Lists
Board games include [[Chess]], draughts, backgammon and go. Games played with cards instead are listed under
[[Card game]]; a game with no board at all is [[Rock - paper - scissors]].

= Sandwich | Food
A sandwich is two slices of [[Bread|bread]] with a filling between them, such as [[Cheese|cheese]], salad or
ham. It is quick to make and easy to carry.

Sandwiches go into lunch boxes for [[School|school]], into the picnic basket for the [[Park|park]] and into
the bag for a long [[Train|train]] ride.

= Lamp | Home
A lamp gives [[Light|light]] when it is switched on. Oil lamps burned a wick like a [[Candle|candle]];
modern lamps run on [[Electricity|electricity]].

A reading lamp stands beside the [[Chair|chair]] where someone reads a [[Book|book]] at night.

= Map | Technology
A map is a drawing of a place seen from above. It shows each [[Road|road]], [[River|river]],
[[Mountain|mountain]] and [[City|city]] in its right position, smaller than life.

Sailors used maps called charts to steer a [[Ship|ship]] between an [[Island|island]] and the next
[[Harbour|harbour]]. Today many maps live on the [[Telephone|telephone]].

= Bird | Animals
Birds are animals with feathers, wings and beaks, and most of them can fly. They build nests in trees of
the [[Forest|forest]] and in the hedges of the [[Garden|garden]].

A [[Cat|cat]] watches birds from the window. Many birds sing, and their songs are an early form of [[Music|music]]. The [[Owl|owl]] hunts at night,
while sea birds follow every [[Ship|ship]] out of the [[Harbour|harbour]].

= Cloud | Nature
A cloud is a mass of tiny drops of [[Water|water]] or ice floating in the sky. Clouds form when warm, damp
air rises and cools.

Dark clouds bring [[Rain|rain]], which sends people for an [[Umbrella|umbrella]], or [[Snow|snow]]; white fluffy ones drift by on a fine [[Summer|summer]]
day. An [[Airplane|airplane]] often flies above the clouds.
)QUILL";
